// The channel-listing parser.

#include "RadioReplies.h"
#include "RecordingHost.h"
#include "SettingsPrinters.h"

#include <gtest/gtest.h>

using namespace replies;

namespace {

std::string Line(int n, const std::string& frequency = "") {
    const std::string f = frequency.empty() ? std::to_string(410 + n) + ".000000" : frequency;
    return ChannelLine(std::to_string(n), f, "25   KHz", "Rx&Tx");
}

ChannelEntry Row(int n, const std::string& frequency = "") {
    const std::string f = frequency.empty() ? std::to_string(410 + n) + ".000000" : frequency;
    return {std::to_string(n), f, "25   KHz", "Rx&Tx"};
}

class ChannelListing : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};

    void Parse(int family, const std::vector<std::string>& lines) {
        exchange.SetFamily(family);
        replies::Parse(exchange, Listing(lines));
    }
};

TEST_F(ChannelListing, TakesTheColumnsOfEveryLine) {
    Parse(FAMILY_QX, {ChannelLine("5", "433.125000", "6.25 KHz", "Rx"),
                      ChannelLine("12", "470.000000", "12.5 KHz", "Tx&Rx")});
    EXPECT_EQ(settings.channels[5], (ChannelEntry{"5", "433.125000", "6.25 KHz", "Rx"}));
    EXPECT_EQ(settings.channels[12], (ChannelEntry{"12", "470.000000", "12.5 KHz", "Tx&Rx"}));
}

TEST_F(ChannelListing, WithoutTheMarkerNothingIsFilled) {
    const std::string listing = "ATP0?\r\n----------\r\n" + Line(3) + "\r\n\r\nOK\r\n";
    exchange.SetFamily(FAMILY_QX);
    replies::Parse(exchange, listing);
    EXPECT_TRUE(settings == RadioSettings{});
}

TEST_F(ChannelListing, NumbersOutsideTheTableAreIgnored) {
    Parse(FAMILY_QX, {Line(70), ChannelLine("-1", "440.000000", "25   KHz", "Rx"), Line(4)});
    RadioSettings expected;
    expected.channels[4] = Row(4);
    EXPECT_TRUE(settings == expected);
}

TEST_F(ChannelListing, LineWithoutBlankNamesChannelZeroWithEmptyNumber) {
    settings.channels[0] = Row(0);
    Parse(FAMILY_QX, {"NOBLANK"});
    EXPECT_EQ(settings.channels[0], ChannelEntry{});
}

TEST_F(ChannelListing, RowsNotNamedKeepTheirTexts) {
    settings.channels[9] = Row(9, "455.000000");
    settings.channels[2] = Row(2, "455.000000");
    Parse(FAMILY_ORV, {Line(1), Line(2)});
    EXPECT_EQ(settings.channels[9], Row(9, "455.000000"));
    EXPECT_EQ(settings.channels[2], Row(2));
}

TEST_F(ChannelListing, LastLineWithoutItsOwnLineEndIsNotCounted) {
    const std::string listing = kListingHead + Line(1) + "\r\n" + Line(7) + "\r\nOK\r\n";
    exchange.SetFamily(FAMILY_QX);
    replies::Parse(exchange, listing);
    EXPECT_EQ(settings.channels[1], Row(1));
    EXPECT_EQ(settings.channels[7], ChannelEntry{});
}

std::vector<std::string> Channels0To63() {
    std::vector<std::string> lines;
    for (int n = 0; n < 64; ++n) {
        lines.push_back(Line(n));
    }
    return lines;
}

TEST_F(ChannelListing, OrvRow63RepeatsTheLineTwoPlacesBefore) {
    Parse(FAMILY_ORV, Channels0To63());
    EXPECT_EQ(settings.channels[63], Row(61));
    EXPECT_EQ(settings.channels[62], Row(62));
}

TEST_F(ChannelListing, OrvRow63NumberIsCutAtTheWidthOfThe63) {
    Parse(FAMILY_ORV, {Line(9), Line(10), Line(63)});
    ChannelEntry expected = Row(9);
    expected.channel = "9 "; // the first two characters of line "9 ...", as "63" has two
    EXPECT_EQ(settings.channels[63], expected);
}

TEST_F(ChannelListing, OrvRow63OnTheFirstOrSecondLineUsesItsOwnLine) {
    Parse(FAMILY_ORV, {Line(63)});
    EXPECT_EQ(settings.channels[63], Row(63));
    settings = {};
    Parse(FAMILY_ORV, {Line(5), Line(63, "477.000000")});
    EXPECT_EQ(settings.channels[63], Row(63, "477.000000"));
}

TEST_F(ChannelListing, QxRow63UsesItsOwnLine) {
    Parse(FAMILY_QX, Channels0To63());
    EXPECT_EQ(settings.channels[63], Row(63));
}

TEST_F(ChannelListing, LinesBeyondTheSixtyFourthAreIgnored) {
    std::vector<std::string> lines = Channels0To63();
    for (int extra = 0; extra < 10; ++extra) {
        lines.push_back(Line(1, "999.000000"));
    }
    Parse(FAMILY_QX, lines);
    EXPECT_EQ(settings.channels[1], Row(1));
    EXPECT_EQ(settings.channels[63], Row(63)); // the 64th line still counts
}

} // namespace
