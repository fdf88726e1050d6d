// Each fault the simulated radio can show, and that it shows nothing else.

#include "SimRadio.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace {

CSimRadio RadioWith(int family, const SimFaults& faults) {
    CSimRadio radio(family);
    radio.SetFaults(faults);
    return radio;
}

} // namespace

TEST(SimFaults, NoiseGoesInFrontOfEveryReplyAndTheAnnouncement) {
    SimFaults faults;
    faults.noise = "\xff\x81";
    CSimRadio radio = RadioWith(FAMILY_ORV, faults);
    const std::string report = radio.PowerOnAnnouncement();
    EXPECT_EQ(report, "\xff\x81" + CSimRadio(FAMILY_ORV).PowerOnReport());
    EXPECT_EQ(radio.Receive("+++"), "\xff\x81\r\nNO CARRIER\r\nOK\r\n");
    EXPECT_EQ(radio.Receive("ATS190?\r"), "\xff\x81"
                                          "ATS190?\r\n0\r\n\r\nOK\r\n");
}

TEST(SimFaults, NoiseOnOneCommandLeavesTheOthersClean) {
    SimFaults faults;
    faults.noise = "~";
    faults.noiseOn = "ats186?"; // without regard to case
    CSimRadio radio = RadioWith(FAMILY_QX, faults);
    EXPECT_EQ(radio.PowerOnAnnouncement(), CSimRadio::kStartAnswer);
    EXPECT_EQ(radio.Receive("ATS128?\r"), "ATS128?\r\n0\r\n\r\nOK\r\n");
    EXPECT_EQ(radio.Receive("ATS186?\r"), "~ATS186?\r\n0\r\n\r\nOK\r\n");
}

TEST(SimFaults, ErrorOnAChosenCommandChangesNothing) {
    SimFaults faults;
    faults.errorOn = "ats105=";
    CSimRadio radio = RadioWith(FAMILY_ORV, faults);
    EnterCommandMode(radio);
    EXPECT_EQ(radio.Receive("ats105=40\r"), "ats105=40\r\n\r\nERROR\r\n");
    EXPECT_EQ(radio.Register(105), 12);
    EXPECT_EQ(radio.Receive("ats190=1\r"), "ats190=1\r\n\r\nOK\r\n");
}

TEST(SimFaults, SilentAfterSomeRepliesUntilSwitchedOffAndOn) {
    SimFaults faults;
    faults.silentAfter = 2;
    CSimRadio radio = RadioWith(FAMILY_ORV, faults);
    EXPECT_FALSE(EnterCommandMode(radio).empty());
    EXPECT_FALSE(radio.Receive("ATS128?\r").empty());
    EXPECT_EQ(radio.Receive("ATS186?\r"), "");
    EXPECT_TRUE(radio.IsSilent());
    EXPECT_EQ(radio.Receive("+++"), "") << "stays silent";
    EXPECT_EQ(radio.Receive("ats105=1\r"), "");
    EXPECT_EQ(radio.Register(105), 12) << "a silent radio does nothing either";

    radio.Reset();
    EXPECT_FALSE(radio.IsSilent());
    EXPECT_FALSE(EnterCommandMode(radio).empty());
}

TEST(SimFaults, SilentFromAChosenCommandOn) {
    SimFaults faults;
    faults.silentOn = "ATP0?";
    CSimRadio radio = RadioWith(FAMILY_QX, faults);
    EnterCommandMode(radio);
    EXPECT_FALSE(radio.Receive("ATS110?\r").empty());
    EXPECT_EQ(radio.Receive("ATP0?\r"), "");
    EXPECT_EQ(radio.Receive("ATS110?\r"), "");
}

TEST(SimFaults, TruncatedListingStopsBeforeItsEnd) {
    SimFaults faults;
    faults.truncateListingAt = 200;
    CSimRadio radio = RadioWith(FAMILY_ORV, faults);
    EnterCommandMode(radio);
    const std::string listing = radio.Receive("ATP0?\r");
    EXPECT_EQ(listing, radio.ChannelListing().substr(0, 200));
    EXPECT_FALSE(EndsWith(listing, "OK\r\n"));
}

TEST(SimFaults, ExtraListingLinesGoBeyondSixtyFour) {
    SimFaults faults;
    faults.extraListingLines = 10;
    CSimRadio radio = RadioWith(FAMILY_ORV, faults); // all 64 channels programmed
    EnterCommandMode(radio);
    const std::string listing = radio.Receive("ATP0?\r");
    const std::vector<std::string> lines = ListingLines(listing);
    ASSERT_EQ(lines.size(), 74u);
    EXPECT_EQ(lines[64].substr(0, 3), "64 ");
    EXPECT_EQ(lines[73].substr(0, 3), "73 ");
    EXPECT_GT(listing.size(), 4096u) << "also more than the tool's reply buffer holds";
    EXPECT_TRUE(EndsWith(listing, "\r\nOK\r\n"));
}
