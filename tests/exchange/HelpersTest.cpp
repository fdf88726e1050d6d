// Power-on report, decimal values, rate table, time scaling and prompts.

#include "PowerOnReport.h"
#include "Prompts.h"
#include "RateTables.h"
#include "Timing.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace {

TEST(DecimalValue, ReadsLikeTheRadiosNumbers) {
    EXPECT_EQ(DecimalValue("42"), 42);
    EXPECT_EQ(DecimalValue("  7x"), 7);
    EXPECT_EQ(DecimalValue("-12"), -12);
    EXPECT_EQ(DecimalValue("+3"), 3);
    EXPECT_EQ(DecimalValue(""), 0);
    EXPECT_EQ(DecimalValue("x1"), 0);
    EXPECT_EQ(DecimalValue("- 1"), 0);
    EXPECT_EQ(DecimalValue("99999999999999"), INT_MAX);
    EXPECT_EQ(DecimalValue("-99999999999999"), INT_MIN);
}

// "RADIO " + channel + "U: " + code + " READY": 19 characters.
std::string Report(const std::string& channel, const std::string& code) {
    return "RADIO " + channel + "U: " + code + " READY";
}

TEST(PowerOnReport, TakesChannelAndCode) {
    const PowerOnReport r = ParsePowerOnReport(Report("16", "00"));
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.channel, 16);
    EXPECT_EQ(r.rateCode, 0);
    EXPECT_TRUE(ParsePowerOnReport(Report(" 1", "09")).valid);
}

TEST(PowerOnReport, OutOfRangeValuesAreFilledButNotValid) {
    const PowerOnReport code8 = ParsePowerOnReport(Report("05", "08"));
    EXPECT_FALSE(code8.valid); // code 8 has no baud rate
    EXPECT_EQ(code8.channel, 5);
    EXPECT_EQ(code8.rateCode, 8);
    EXPECT_FALSE(ParsePowerOnReport(Report("17", "01")).valid);
    EXPECT_FALSE(ParsePowerOnReport(Report("00", "01")).valid);
    EXPECT_FALSE(ParsePowerOnReport(Report("05", "10")).valid);
}

TEST(PowerOnReport, OnlyNineteenCharacters) {
    const std::string report = Report("05", "01");
    ASSERT_EQ(report.size(), 19u);
    EXPECT_FALSE(ParsePowerOnReport(report.substr(1)).valid);
    EXPECT_FALSE(ParsePowerOnReport(report + " ").valid);
}

TEST(PowerOnReport, PositionsNearTheEdges) {
    // No "U": the channel is read from 0 (start below 0), the code from 2.
    PowerOnReport r = ParsePowerOnReport("0506 nothing else..");
    EXPECT_EQ(r.channel, 5);
    EXPECT_EQ(r.rateCode, 6);
    // "U" last: the code lies past the end.
    r = ParsePowerOnReport("................12U");
    EXPECT_EQ(r.channel, 12);
    EXPECT_EQ(r.rateCode, 0);
}

TEST(RateTables, OrvPortRateBaud) {
    const int expected[] = {230400, 115200, 57600, 38400, 28800, 19200, 14400, 9600, 0, 4800};
    for (int code = 0; code < 10; ++code) {
        EXPECT_EQ(RateTables::OrvPortRateBaud(code), expected[code]) << code;
    }
    EXPECT_EQ(RateTables::OrvPortRateBaud(-1), 0);
    EXPECT_EQ(RateTables::OrvPortRateBaud(10), 0);
}

class TimingScale : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("ORVCONF_TIME_SCALE");
        Timing::ReloadScale();
    }
    static double FromEnvironment(const char* value) {
        setenv("ORVCONF_TIME_SCALE", value, 1);
        Timing::ReloadScale();
        return Timing::Scale();
    }
};

TEST_F(TimingScale, ScaledWaitsRoundAndNeverVanish) {
    Timing::SetScale(0.05);
    EXPECT_EQ(Timing::ScaledMs(12000), 600);
    EXPECT_EQ(Timing::ScaledMs(10), 1); // 0.5 rounds up
    EXPECT_EQ(Timing::ScaledMs(1), 1);  // a nonzero wait stays nonzero
    EXPECT_EQ(Timing::ScaledMs(0), 0);
    Timing::SetScale(1.0);
    EXPECT_EQ(Timing::ScaledMs(12000), 12000);
    Timing::SetScale(2.0);
    EXPECT_EQ(Timing::Scale(), 1.0);
}

TEST_F(TimingScale, EnvironmentScaleMustLieInZeroToOne) {
    EXPECT_EQ(FromEnvironment("0.25"), 0.25);
    EXPECT_EQ(FromEnvironment("1"), 1.0);
    EXPECT_EQ(FromEnvironment("1.5"), 1.0);
    EXPECT_EQ(FromEnvironment("0"), 1.0);
    EXPECT_EQ(FromEnvironment("-0.5"), 1.0);
    EXPECT_EQ(FromEnvironment("0.5x"), 1.0);
    EXPECT_EQ(FromEnvironment(""), 1.0);
    unsetenv("ORVCONF_TIME_SCALE");
    Timing::ReloadScale();
    EXPECT_EQ(Timing::Scale(), 1.0);
}

class RecordingPrompts : public IPrompts {
public:
    std::string last;
    void ShowMessage(const std::string& caption, const std::string& text, PromptIcon) override {
        last = caption + "|" + text;
    }
};

TEST(Prompts, DefaultWritesToStandardErrorAndInstalledPromptsTakeOver) {
    ::testing::internal::CaptureStderr();
    Prompts::Current().ShowMessage("ORVCONF", "保存完毕！", PromptIcon::Information);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ORVCONF: 保存完毕！\n");

    RecordingPrompts recorder;
    Prompts::Install(&recorder);
    Prompts::Current().ShowMessage("c", "t", PromptIcon::Stop);
    EXPECT_EQ(recorder.last, "c|t");
    Prompts::Install(nullptr);
    EXPECT_NE(&Prompts::Current(), &recorder);
}

} // namespace
