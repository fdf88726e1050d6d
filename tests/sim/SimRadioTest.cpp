// The simulated radio as the tool sees it: the texts and positions the tool relies on, state that
// survives a write and a read, and each fault it can be told to show.

#include "sim/SimRadio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

// Faults are written as designated initializers that name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const std::string kStart = CSimRadio::kStartAnswer;

// The channel lines of a listing: after the dashed header line and the blank line, up to the
// closing "\r\nOK\r\n".
std::vector<std::string> ListingLines(const std::string& listing) {
    std::vector<std::string> lines;
    std::size_t start = listing.find("--\r\n\r\n") + 6;
    for (std::size_t cr;
         (cr = listing.find("\r\n", start)) != std::string::npos && cr + 6 < listing.size();
         start = cr + 2) {
        lines.push_back(listing.substr(start, cr - start));
    }
    return lines;
}

// A radio of the family in command mode, with the faults.
CSimRadio Commanded(int family, const SimFaults& faults = {}) {
    CSimRadio radio(family);
    radio.SetFaults(faults);
    radio.Receive("+++");
    return radio;
}

std::string Refused(const std::string& command) {
    return command + "\n\r\nERROR\r\n";
}

} // namespace

TEST(SimListing, FullTableKeepsItsColumnsAndFitsTheReplyBuffer) {
    CSimRadio radio = Commanded(FAMILY_QX);
    for (int n = 0; n < SimState::kChannels; ++n) {
        // The longest lines ("Rx&Tx", the highest frequencies) but for the first two.
        radio.SetChannel(n, SimChannel{true, 480000000 - n, n % 3, std::min(n, 2)});
    }
    const std::string listing = radio.Receive("ATP0?\r");
    EXPECT_LT(listing.size(), 4096u);
    EXPECT_TRUE(listing.ends_with("Rx&Tx\r\n\r\nOK\r\n"));
    EXPECT_EQ(listing.find("--\r\n\r\n"), listing.rfind("--\r\n\r\n")) << "one listing marker";

    const std::vector<std::string> lines = ListingLines(listing);
    ASSERT_EQ(lines.size(), 64u);
    EXPECT_EQ(lines[0], "0                   480.000000        6.25 KHz     Rx");
    EXPECT_EQ(lines[1], "1                   479.999999        12.5 KHz     Tx");
    EXPECT_EQ(lines[2], "2                   479.999998        25   KHz     Rx&Tx");
    for (int n = 0; n < 64; ++n) {
        const std::string& line = lines[static_cast<std::size_t>(n)];
        EXPECT_EQ(line.substr(0, line.find(' ')), std::to_string(n));
        EXPECT_EQ(line.size(), n < 2 ? 53u : 56u) << line;
    }
}

TEST(SimRegisters, WriteThenReadAndRefusedCommandsChangeNothing) {
    CSimRadio radio = Commanded(FAMILY_ORV);
    EXPECT_EQ(radio.Receive("ats105=203\r"), "ats105=203\r\n\r\nOK\r\n");
    EXPECT_EQ(radio.Receive("ATS105?\r"), "ATS105?\r\n203\r\n\r\nOK\r\n");
    const SimState before = radio.State();
    for (const std::string command :
         {"ats105=256\r", "ats105=-1\r", "ats105=abc\r", "ats105=\r", "ats102=8\r", "ats190=2\r",
          "ats110=1\r", "ATS999?\r", "ATZ\r"}) {
        EXPECT_EQ(radio.Receive(command), Refused(command));
    }
    EXPECT_EQ(radio.State(), before);
    EXPECT_EQ(radio.Receive("AT\r"), "AT\r\n\r\nOK\r\n") << "still in command mode";
}

TEST(SimPresets, SetTheModeRegistersOfTheirProtocolOrAreRefused) {
    // Family, command, and the registers it sets (none: refused).
    const std::tuple<int, std::string, std::map<int, int>> cases[] = {
        {FAMILY_ORV, "AT&F56\r", {{186, 2}, {127, 0}, {103, 5}, {141, 0}, {101, 1}}},
        {FAMILY_ORV, "AT&F68\r", {{186, 4}, {127, 1}, {103, 5}, {141, 0}, {226, 2}}},
        {FAMILY_QX, "AT&F55\r", {{186, 2}, {127, 0}, {103, 5}, {141, 0}, {101, 1}}},
        {FAMILY_QX, "AT&F58\r", {{186, 3}, {127, 1}, {103, 5}, {141, 0}, {125, 1}, {158, 0}}},
        {FAMILY_QX, "AT&F66\r", {}}, // no FST protocol on the module
        {FAMILY_ORV, "AT&F50\r", {}},
        {FAMILY_ORV, "AT&F70\r", {}}};
    for (const auto& [family, command, registers] : cases) {
        SCOPED_TRACE(command);
        CSimRadio radio = Commanded(family);
        SimState expected = radio.State();
        for (const auto& [reg, value] : registers) {
            expected.registers[reg] = value;
        }
        EXPECT_EQ(radio.Receive(command),
                  registers.empty() ? Refused(command) : command + "\n\r\nOK\r\n");
        EXPECT_EQ(radio.State(), expected);
    }
}

TEST(SimDialogue, PromptsComeInOrderEachAfterTheEchoedAnswer) {
    CSimRadio radio = Commanded(FAMILY_QX);
    EXPECT_EQ(radio.Receive("ATP0=\r"), "ATP0=\r");
    EXPECT_EQ(radio.Receive(CSimRadio::kAccessCode),
              std::string("\r\n") + CSimRadio::kChannelPrompt);
    // Each answer is echoed and followed by the next prompt.
    const std::pair<std::string, const char*> steps[] = {{"40", CSimRadio::kFrequencyPrompt},
                                                         {"479987500", CSimRadio::kBandwidthPrompt},
                                                         {"2", CSimRadio::kDirectionPrompt},
                                                         {"0", CSimRadio::kChannelPrompt}};
    for (const auto& [answer, prompt] : steps) {
        EXPECT_EQ(radio.Receive(answer + "\r"), answer + "\r\n" + prompt);
    }
    ASSERT_TRUE(radio.Channel(0).programmed);
    radio.Receive("0\r0\r2\r2\r"); // frequency 0 deletes
    EXPECT_EQ(radio.Receive("\x1b"), "\r\nOK\r\n");
    EXPECT_FALSE(radio.Channel(0).programmed);
    EXPECT_EQ(radio.Channel(40).frequencyHz,
              479987500); // the listing of rows: SimWriteExchangeTest
}

TEST(SimDialogue, AnswersOutsideTheirRangesAreRefusedAndEndTheDialogue) {
    const auto opened = [] {
        CSimRadio radio = Commanded(FAMILY_ORV);
        radio.Receive(std::string("ATP0=\r") + CSimRadio::kAccessCode);
        return radio;
    };
    for (const std::string answers :
         {"64\r", "x\r", "1\r409999999\r", "1\r480000001\r", "1\r433.125\r", "1\r433125000\r3\r",
          "1\r433125000\r1\r3\r"}) {
        CSimRadio radio = opened();
        const SimState before = radio.State();
        EXPECT_TRUE(radio.Receive(answers).ends_with("ERROR\r\n")) << answers;
        EXPECT_FALSE(radio.InChannelDialogue());
        EXPECT_EQ(radio.State(), before);
        EXPECT_EQ(radio.Receive("AT\r"), "AT\r\n\r\nOK\r\n");
    }
    for (const long long hz : {410000000LL, 480000000LL}) { // the band edges
        CSimRadio radio = opened();
        const std::string answers = "1\r" + std::to_string(hz) + "\r2\r2\r";
        EXPECT_TRUE(radio.Receive(answers).ends_with(CSimRadio::kChannelPrompt));
        EXPECT_EQ(radio.Channel(1).frequencyHz, hz);
    }
    CSimRadio radio = Commanded(FAMILY_ORV);
    EXPECT_EQ(radio.Receive("ATP0=\rmord%aX"), "ATP0=\r\r\nERROR\r\n") << "wrong access code";
    EXPECT_FALSE(radio.InChannelDialogue());
}

TEST(SimPowerOn, OnlySavedSettingsAndTheNewRateSurviveSwitchingOffAndOn) {
    CSimRadio qx(FAMILY_QX);
    EXPECT_EQ(qx.PowerOnAnnouncement(), kStart);
    EXPECT_EQ(qx.Receive("ATS102?\r"), "ATS102?\r\n7\r\n\r\nOK\r\n") << "held in CONFIG";

    CSimRadio radio(FAMILY_ORV);
    EXPECT_EQ(radio.PowerOnAnnouncement(), "CH03UHF07 ORV-25W\r\n");
    EXPECT_FALSE(radio.InCommandMode());
    radio.Receive("+++ats105=99\r");
    radio.Reset();
    EXPECT_EQ(radio.Register(105), 12) << "not saved";
    EXPECT_FALSE(radio.TakeSaved());

    radio.Receive("+++ats105=99\rats102=5\r");
    EXPECT_EQ(radio.Receive("at&w\r"), "at&w\r\n\r\nOK\r\n");
    EXPECT_TRUE(radio.TakeSaved());
    EXPECT_FALSE(radio.TakeSaved()) << "reported once";
    EXPECT_EQ(radio.SerialRate(), 9600) << "the answer to at&w still goes out at the old rate";
    EXPECT_EQ(radio.PowerOnAnnouncement(), "CH03UHF05 ORV-25W\r\n");
    EXPECT_EQ(radio.SerialRate(), 19200);
    EXPECT_EQ(radio.Register(105), 99);
}

TEST(SimCommandMode, DataModeListensOnlyForTheEscapeAndCommandsMaySplit) {
    CSimRadio radio(FAMILY_QX);
    EXPECT_EQ(radio.Receive("ATS105?\rxx+"), "");
    EXPECT_EQ(radio.Receive("++"), kStart) << "split across writes";
    EXPECT_EQ(radio.Receive("ATS1"), "");
    EXPECT_EQ(radio.Receive("08?\r"), "ATS108?\r\n30\r\n\r\nOK\r\n");
    EXPECT_EQ(radio.Receive(std::string(500, 'A') + "\r"), "\r\nERROR\r\n");
    EXPECT_EQ(radio.Receive("ata\r"), "ata\r\n\r\nOK\r\n");
    EXPECT_EQ(radio.Receive("ATS105?\r"), "");
}

TEST(SimFaults, NoiseInFrontOfEveryReplyOrOnlyOfTheChosenCommands) {
    const std::string noise = "\xff\x81";
    CSimRadio radio(FAMILY_ORV);
    radio.SetFaults({.noise = noise});
    EXPECT_EQ(radio.PowerOnAnnouncement(), noise + "CH03UHF07 ORV-25W\r\n");
    EXPECT_EQ(radio.Receive("+++"), noise + kStart);

    CSimRadio qx(FAMILY_QX);
    qx.SetFaults({.noise = "~", .noiseOn = "ats186?"}); // without regard to case
    EXPECT_EQ(qx.PowerOnAnnouncement(), kStart);
    EXPECT_EQ(qx.Receive("ATS128?\r"), "ATS128?\r\n0\r\n\r\nOK\r\n");
    EXPECT_EQ(qx.Receive("ATS186?\r"), "~ATS186?\r\n0\r\n\r\nOK\r\n");
}

TEST(SimFaults, ErrorChangesNothingAndSilenceLastsUntilSwitchedOffAndOn) {
    CSimRadio refusing = Commanded(FAMILY_ORV, {.errorOn = "ats105="});
    EXPECT_EQ(refusing.Receive("ATS105=40\r"), Refused("ATS105=40\r"));
    EXPECT_EQ(refusing.Register(105), 12);
    EXPECT_EQ(refusing.Receive("ats190=1\r"), "ats190=1\r\n\r\nOK\r\n");

    CSimRadio radio(FAMILY_ORV);
    radio.SetFaults({.silentAfter = 2});
    EXPECT_EQ(radio.Receive("+++"), kStart);
    EXPECT_NE(radio.Receive("ATS128?\r"), "");
    EXPECT_EQ(radio.Receive("ATS186?\r"), "");
    EXPECT_EQ(radio.Receive("+++"), "");
    EXPECT_EQ(radio.Receive("ats105=1\r"), "");
    EXPECT_EQ(radio.Register(105), 12) << "a silent radio does nothing either";
    radio.Reset();
    EXPECT_EQ(radio.Receive("+++"), kStart);

    CSimRadio qx = Commanded(FAMILY_QX, {.silentOn = "ATP0?"});
    EXPECT_NE(qx.Receive("ATS110?\r"), "");
    EXPECT_EQ(qx.Receive("ATP0?\r"), "");
    EXPECT_EQ(qx.Receive("ATS110?\r"), "");
}

TEST(SimFaults, TruncatedAndOverlongListings) {
    CSimRadio radio = Commanded(FAMILY_ORV, {.truncateListingAt = 200}); // 64 channels
    EXPECT_EQ(radio.Receive("ATP0?\r"), radio.ChannelListing().substr(0, 200));

    radio.SetFaults({.extraListingLines = 10});
    const std::string listing = radio.Receive("ATP0?\r");
    const std::vector<std::string> lines = ListingLines(listing);
    ASSERT_EQ(lines.size(), 74u);
    EXPECT_EQ(lines[64].substr(0, 3), "64 ");
    EXPECT_EQ(lines[73].substr(0, 3), "73 ");
    EXPECT_TRUE(listing.ends_with("\r\nOK\r\n"));
}

// Faults whose effect on a read is checked through the exchange (SimReadExchangeTest) are not
// repeated here; these are the ones a read rides over or that only the radio shows.
TEST(SimFaults, WhereNoiseGoesAndTheEmptyListingLine) {
    const std::string clean = Commanded(FAMILY_ORV).Receive("ATS105?\r");
    CSimRadio noisy = Commanded(FAMILY_ORV, {.valueNoise = "\x81\x82"});
    EXPECT_EQ(noisy.Receive("ATS105?\r"), std::string(clean).insert(9, "\x81\x82"));
    EXPECT_EQ(noisy.Receive("at&w\r"), Commanded(FAMILY_ORV).Receive("at&w\r")) << "not a read";

    // Listing noise goes into the first row's direction field, where only a check of the row's
    // text finds it.
    const std::string listing = Commanded(FAMILY_QX).Receive("ATP0?\r");
    const std::size_t direction = listing.find("--\r\n\r\n") + 6 + CSimRadio::kDirectionColumn;
    EXPECT_EQ(Commanded(FAMILY_QX, {.listingNoise = "\xa5"}).Receive("ATP0?\r"),
              std::string(listing).insert(direction, "\xa5"));
    EXPECT_EQ(Commanded(FAMILY_QX, {.listingEmptyLine = true}).Receive("ATP0?\r"),
              std::string(listing).insert(listing.size() - 6, "\r\n"));

    CSimRadio radio(FAMILY_ORV);
    radio.SetFaults({.powerOnNoise = "\xff"});
    EXPECT_EQ(radio.PowerOnAnnouncement(), "\xff" + radio.PowerOnReport());
    EXPECT_EQ(radio.Receive("+++"), kStart) << "in front of the announcement only";
}

// A step fault spoils exactly the reply it numbers (0: the announcement), in the way it names.
TEST(SimFaults, StepFaultSpoilsOnlyTheNumberedReply) {
    const std::string clean = Commanded(FAMILY_ORV).Receive("ATS127?\r");
    const std::string echo = "ATS127?\r\n";
    struct Case {
        SimStepFault fault;
        std::string spoiled; // the reply to "ATS127?" (reply 2 after "+++")
        bool silentAfter;
    };
    const Case cases[] = {
        {SimStepFault::Error, echo + CSimRadio::kError, false},
        {SimStepFault::Silence, "", true},
        {SimStepFault::Noise, "\x11\xa7#~\xfe" + clean, false},
        {SimStepFault::Cut, clean.substr(0, clean.size() / 2), false},
        {SimStepFault::Overlong,
         clean.substr(0, clean.size() / 2) + std::string(4097, '#') +
             clean.substr(clean.size() / 2),
         false},
        {SimStepFault::Vanish, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        CSimRadio radio =
            Commanded(FAMILY_ORV, {.stepFault = c.fault, .stepFaultAt = 2, .stepFill = 4097});
        EXPECT_EQ(radio.Receive("ATS127?\r"), c.spoiled);
        EXPECT_TRUE(radio.StepFaultStruck());
        EXPECT_EQ(radio.Vanished(), c.fault == SimStepFault::Vanish);
        EXPECT_EQ(radio.Receive("ATS127?\r").empty(), c.silentAfter) << "only reply 2 is spoiled";
    }

    CSimRadio radio(FAMILY_QX);
    radio.SetFaults({.stepFault = SimStepFault::Cut, .stepFaultAt = 0});
    EXPECT_EQ(radio.PowerOnAnnouncement(), kStart.substr(0, kStart.size() / 2));
    EXPECT_EQ(radio.Receive("ATS128?\r"), Commanded(FAMILY_QX).Receive("ATS128?\r"));
}
