// Power-on report, decimal values, time scaling and prompts.

#include "base/Prompts.h"
#include "base/Timing.h"
#include "exchange/PowerOnReport.h"
#include "exchange/ReadFailureText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

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

TEST(PowerOnReport, ChannelBeforeAndCodeAfterTheFirstU) {
    const std::tuple<std::string, bool, int, int> cases[] = {
        {Report("16", "00"), true, 16, 0},
        {Report(" 1", "09"), true, 1, 9},
        {Report("05", "08"), false, 5, 8}, // code 8 has no baud rate; values still filled
        {Report("17", "01"), false, 17, 1},
        {Report("00", "01"), false, 0, 1},
        {Report("05", "10"), false, 5, 10},
        {Report("05", "01").substr(1), false, 0, 0}, // too short
        {"0506 nothing else..", true, 5, 6},         // no "U": channel from 0, code from 2
        {"................12U", true, 12, 0},        // the code lies past the end
        // Behind stray bytes the last 19 characters are the report...
        {"\xff" + Report("05", "01"), true, 5, 1},
        {"CH12U UHF 99" + Report("16", "09"), true, 16, 9},
        {"\xff" + Report("17", "01"), false, 17, 1},
        // ...once it is all there, its numbers in digits.
        {std::string(15, '\xff') + "CH03U", false, 3, 0},
        {"\xff" + Report("1x", "01"), false, 1, 1},
        {"\xff" + Report("05", "0 "), false, 5, 0},
        {"\xff"
         "0506 nothing else..",
         false, 5, 6},
    };
    for (const auto& [text, valid, channel, code] : cases) {
        const PowerOnReport r = ParsePowerOnReport(text);
        EXPECT_EQ(r.valid, valid) << text;
        EXPECT_EQ(r.channel, channel) << text;
        EXPECT_EQ(r.rateCode, code) << text;
    }
}

TEST(Timing, ScaleFromTheEnvironmentWithinZeroToOneAndWaitsRounded) {
    const std::pair<const char*, double> cases[] = {{"0.25", 0.25}, {"1", 1.0},    {"1.5", 1.0},
                                                    {"0", 1.0},     {"-0.5", 1.0}, {"0.5x", 1.0},
                                                    {"", 1.0}};
    for (const auto& [text, scale] : cases) {
        setenv("ORVCONF_TIME_SCALE", text, 1);
        Timing::ReloadScale();
        EXPECT_EQ(Timing::Scale(), scale) << text;
    }
    unsetenv("ORVCONF_TIME_SCALE");
    Timing::ReloadScale();
    EXPECT_EQ(Timing::Scale(), 1.0);

    Timing::SetScale(0.05);
    EXPECT_EQ(Timing::ScaledMs(12000), 600);
    EXPECT_EQ(Timing::ScaledMs(30), 2); // 1.5 rounds up
    EXPECT_EQ(Timing::ScaledMs(1), 1);  // a nonzero wait stays nonzero
    EXPECT_EQ(Timing::ScaledMs(0), 0);
    Timing::SetScale(2.0);
    EXPECT_EQ(Timing::Scale(), 1.0);
}

TEST(Prompts, DefaultWritesToStandardErrorAndInstalledPromptsTakeOver) {
    ::testing::internal::CaptureStderr();
    Prompts::Current().ShowMessage("ORVCONF", "保存完毕！", PromptIcon::Information);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ORVCONF: 保存完毕！\n");

    struct : IPrompts {
        std::string last;
        void ShowMessage(const std::string& caption, const std::string& text, PromptIcon) override {
            last = caption + "|" + text;
        }
    } recorder;
    Prompts::Install(&recorder);
    Prompts::Current().ShowMessage("c", "t", PromptIcon::Stop);
    Prompts::Install(nullptr);
    EXPECT_EQ(recorder.last, "c|t");
}

TEST(ReadFailureText, EachReasonToldApartAndTheCommandNamed) {
    for (const bool english : {true, false}) {
        const std::string garbled = ReadFailureText(ReadFailure::Garbled, "ATS132?", english);
        const std::string refused = ReadFailureText(ReadFailure::Refused, "ATS132?", english);
        const std::string restarts =
            ReadFailureText(ReadFailure::KeepsRestarting, "ATS132?", english);
        EXPECT_NE(garbled.find("ATS132?"), std::string::npos) << garbled;
        EXPECT_NE(refused.find("ATS132?"), std::string::npos) << refused;
        EXPECT_TRUE(garbled != refused && refused != restarts && garbled != restarts);
    }
    EXPECT_NE(ReadFailureText(ReadFailure::KeepsRestarting, "x", true).find("keeps restarting"),
              std::string::npos);
}

} // namespace
