// The simulated radio as the tool sees it: the texts and positions the tool relies on, and state
// that survives a write and a read.

#include "SimRadio.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string Ask(CSimRadio& radio, const std::string& command) {
    return radio.Receive(command);
}

// Opens the channel dialogue; returns what the radio said to the access code.
std::string OpenDialogue(CSimRadio& radio) {
    EXPECT_EQ(Ask(radio, "ATP0=\r"), "ATP0=\r");
    return Ask(radio, CSimRadio::kAccessCode);
}

} // namespace

TEST(SimListing, FullTableKeepsItsColumnsAndFitsTheReplyBuffer) {
    CSimRadio radio(FAMILY_QX);
    for (int n = 0; n < SimState::kChannels; ++n) {
        // The longest lines: direction "Rx&Tx", the highest frequency.
        radio.SetChannel(n, SimChannel{true, 480000000 - n, n % 3, 2});
    }
    EnterCommandMode(radio);
    const std::string listing = Ask(radio, "ATP0?\r");

    EXPECT_LT(listing.size(), 4096u);
    EXPECT_EQ(listing.substr(0, 7), "ATP0?\r\n");
    EXPECT_TRUE(EndsWith(listing, "Rx&Tx\r\n\r\nOK\r\n"));
    EXPECT_EQ(listing.find("--\r\n\r\n"), listing.rfind("--\r\n\r\n")) << "one listing marker";

    const std::vector<std::string> lines = ListingLines(listing);
    ASSERT_EQ(lines.size(), 64u);
    for (int n = 0; n < 64; ++n) {
        const std::string& line = lines[static_cast<std::size_t>(n)];
        SCOPED_TRACE(line);
        const SimChannel& c = radio.Channel(n);
        EXPECT_EQ(line.substr(0, line.find(' ')), std::to_string(n));
        EXPECT_EQ(line.substr(20, 10), SimFrequencyText(c.frequencyHz));
        EXPECT_EQ(line.substr(38, 8), SimBandwidthText(c.bandwidth));
        EXPECT_EQ(line.substr(51), "Rx&Tx");
    }
    EXPECT_EQ(lines[0].substr(20, 10), "480.000000");
    EXPECT_EQ(lines[1].substr(38, 8), "12.5 KHz");
    EXPECT_EQ(lines[2].substr(38, 8), "25   KHz");
    EXPECT_EQ(lines[3].substr(38, 8), "6.25 KHz");
}

TEST(SimRegisters, WriteThenReadGivesBackWhatWasWritten) {
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    const std::string answer = Ask(radio, "ats105=203\r");
    EXPECT_EQ(answer, "ats105=203\r\n\r\nOK\r\n");
    EXPECT_EQ(answer.substr(3, 3), "105");
    EXPECT_EQ(Ask(radio, "ATS105?\r"), "ATS105?\r\n203\r\n\r\nOK\r\n");

    EXPECT_EQ(Ask(radio, "ats190=1\r"), "ats190=1\r\n\r\nOK\r\n");
    EXPECT_EQ(radio.Register(190), 1);
}

TEST(SimRegisters, RefusedWritesChangeNothing) {
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    for (const char* command : {"ats105=256\r", "ats105=-1\r", "ats105=abc\r", "ats105=\r",
                                "ats102=8\r", "ats999=1\r", "ats110=1\r"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(EndsWith(Ask(radio, command), "ERROR\r\n"));
    }
    EXPECT_EQ(radio.Register(105), 12);
    EXPECT_EQ(radio.Register(102), 7);
    EXPECT_TRUE(EndsWith(Ask(radio, "ATS999?\r"), "ERROR\r\n"));
    EXPECT_TRUE(EndsWith(Ask(radio, "ATZ\r"), "ERROR\r\n"));
    EXPECT_EQ(Ask(radio, "AT\r"), "AT\r\n\r\nOK\r\n") << "still in command mode";
}

TEST(SimPresets, SetTheModeRegistersOfTheirProtocol) {
    CSimRadio orv(FAMILY_ORV);
    EnterCommandMode(orv);
    const auto modeCode = [&] {
        return orv.Register(141) + 10 * orv.Register(103) + 100 * orv.Register(127) +
               1000 * orv.Register(186);
    };
    EXPECT_EQ(Ask(orv, "AT&F62\r"), "AT&F62\r\n\r\nOK\r\n");
    EXPECT_EQ(modeCode(), 1030);
    Ask(orv, "AT&F52\r");
    EXPECT_EQ(modeCode(), 51);
    Ask(orv, "AT&F61\r");
    EXPECT_EQ(modeCode(), 3170);
    EXPECT_EQ(orv.Register(226), 1);
    Ask(orv, "AT&F55\r");
    EXPECT_EQ(modeCode(), 2050);
    EXPECT_EQ(orv.Register(101), 0) << "ORV repeater station";
    Ask(orv, "AT&F68\r");
    EXPECT_EQ(modeCode(), 4150);
    EXPECT_EQ(orv.Register(226), 2);

    CSimRadio qx(FAMILY_QX);
    EnterCommandMode(qx);
    Ask(qx, "AT&F55\r");
    EXPECT_EQ(qx.Register(186), 2);
    EXPECT_EQ(qx.Register(101), 1) << "QX work mode Repeater";
    Ask(qx, "AT&F58\r");
    EXPECT_EQ(qx.Register(103), 5);
    EXPECT_EQ(qx.Register(125), 1);
    EXPECT_EQ(qx.Register(158), 0);
}

TEST(SimPresets, UnknownPresetsAreRefused) {
    CSimRadio orv(FAMILY_ORV);
    EnterCommandMode(orv);
    const SimState before = orv.State();
    for (const char* command : {"AT&F50\r", "AT&F70\r", "AT&F\r", "AT&F5x\r", "AT&F530\r"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Ask(orv, command), std::string(command) + "\n\r\nERROR\r\n");
    }
    EXPECT_EQ(orv.State(), before);

    CSimRadio qx(FAMILY_QX);
    EnterCommandMode(qx);
    EXPECT_TRUE(EndsWith(Ask(qx, "AT&F66\r"), "ERROR\r\n")) << "no FST protocol on the module";
}

TEST(SimDialogue, PromptsAreFiftyEightCharactersAndComeInOrder) {
    for (const char* prompt : {CSimRadio::kChannelPrompt, CSimRadio::kFrequencyPrompt,
                               CSimRadio::kBandwidthPrompt, CSimRadio::kDirectionPrompt}) {
        EXPECT_EQ(std::string(prompt).size(), 58u) << prompt;
    }
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    EXPECT_TRUE(EndsWith(OpenDialogue(radio), CSimRadio::kChannelPrompt));
    EXPECT_EQ(Ask(radio, "5\r"), std::string("5\r\n") + CSimRadio::kFrequencyPrompt);
    EXPECT_EQ(Ask(radio, "433125000\r"),
              std::string("433125000\r\n") + CSimRadio::kBandwidthPrompt);
    EXPECT_EQ(Ask(radio, "0\r"), std::string("0\r\n") + CSimRadio::kDirectionPrompt);
    EXPECT_EQ(Ask(radio, "1\r"), std::string("1\r\n") + CSimRadio::kChannelPrompt);
    EXPECT_EQ(Ask(radio, std::string(1, CSimRadio::kEsc)), "\r\nOK\r\n");
    EXPECT_EQ(radio.Channel(5), (SimChannel{true, 433125000, 0, 1}));
}

TEST(SimDialogue, ProgrammedAndDeletedChannelsShowInTheNextListing) {
    CSimRadio radio(FAMILY_QX);
    EnterCommandMode(radio);
    OpenDialogue(radio);
    // The tool answers prompt by prompt, as it receives them.
    for (const char* answer : {"40\r", "479987500\r", "2\r", "0\r", // new channel
                               "0\r", "0\r", "2\r", "2\r",          // frequency 0 deletes
                               "33\r", "410000000\r", "1\r", "2\r"}) {
        Ask(radio, answer);
    }
    EXPECT_EQ(Ask(radio, "\x1b"), "\r\nOK\r\n");

    const std::vector<std::string> lines = ListingLines(Ask(radio, "ATP0?\r"));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0].substr(0, 2), "1 ") << "channel 0 is gone";
    EXPECT_EQ(lines[8], "33                  410.000000        12.5 KHz     Rx&Tx");
    EXPECT_EQ(lines[11], "40                  479.987500        25   KHz     Rx");
    EXPECT_FALSE(radio.Channel(0).programmed);
}

TEST(SimDialogue, BadAnswersAreRefusedAndEndTheDialogue) {
    struct Case {
        std::vector<std::string> answers;
        const char* what;
    };
    const Case cases[] = {
        {{"64\r"}, "channel number too high"},
        {{"x\r"}, "channel number not a number"},
        {{"1\r", "409999999\r"}, "frequency below the band"},
        {{"1\r", "480000001\r"}, "frequency above the band"},
        {{"1\r", "433.125\r"}, "frequency in MHz"},
        {{"1\r", "433125000\r", "3\r"}, "bandwidth code"},
        {{"1\r", "433125000\r", "1\r", "7\r"}, "direction code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSimRadio radio(FAMILY_ORV);
        EnterCommandMode(radio);
        OpenDialogue(radio);
        std::string last;
        for (const std::string& answer : c.answers) {
            last = Ask(radio, answer);
        }
        EXPECT_TRUE(EndsWith(last, "ERROR\r\n")) << last;
        EXPECT_FALSE(radio.InChannelDialogue());
        EXPECT_EQ(radio.Channel(1), CSimRadio(FAMILY_ORV).Channel(1));
        EXPECT_EQ(Ask(radio, "AT\r"), "AT\r\n\r\nOK\r\n");
    }
}

TEST(SimDialogue, BandEdgesAreAcceptedAndAWrongAccessCodeIsNot) {
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    OpenDialogue(radio);
    for (const char* answer : {"0\r", "410000000\r", "0\r", "0\r", "1\r", "480000000\r", "2\r"}) {
        Ask(radio, answer);
    }
    EXPECT_TRUE(EndsWith(Ask(radio, "1\r"), CSimRadio::kChannelPrompt));
    EXPECT_EQ(radio.Channel(0).frequencyHz, 410000000);
    EXPECT_EQ(radio.Channel(1).frequencyHz, 480000000);
    Ask(radio, "\x1b");

    EXPECT_EQ(Ask(radio, "ATP0=\r"), "ATP0=\r");
    EXPECT_TRUE(EndsWith(Ask(radio, "mord%aX"), "ERROR\r\n"));
    EXPECT_FALSE(radio.InChannelDialogue());
}

TEST(SimPowerOn, OrvReportCarriesChannelAndRateWhereTheToolReadsThem) {
    const auto check = [](int channel, int code, const char* channelText, const char* codeText) {
        SimState state = DefaultSimState(FAMILY_ORV);
        state.currentChannel = channel;
        state.registers[102] = code;
        CSimRadio radio(state);
        const std::string report = radio.PowerOnAnnouncement();
        SCOPED_TRACE(report);
        ASSERT_EQ(report.size(), 19u);
        const std::size_t p = report.find('U');
        ASSERT_GE(p, 2u);
        EXPECT_EQ(report.substr(p - 2, 2), channelText);
        EXPECT_EQ(report.substr(p + 3, 2), codeText);
        EXPECT_FALSE(radio.InCommandMode());
    };
    check(3, 7, "03", "07");
    check(16, 0, "16", "00");
    check(1, 9, "01", "09");
}

TEST(SimPowerOn, QxWithConfigHeldStartsInCommandMode) {
    CSimRadio radio(FAMILY_QX);
    EXPECT_EQ(radio.PowerOnAnnouncement(), "\r\nNO CARRIER\r\nOK\r\n");
    EXPECT_TRUE(radio.InCommandMode());
    EXPECT_EQ(Ask(radio, "ATS102?\r"), "ATS102?\r\n7\r\n\r\nOK\r\n");
}

TEST(SimPowerOn, OnlySavedSettingsSurviveSwitchingOffAndOn) {
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    Ask(radio, "ats105=99\r");
    radio.Reset();
    EXPECT_EQ(radio.Register(105), 12) << "not saved";
    EXPECT_FALSE(radio.TakeSaved());

    EnterCommandMode(radio);
    Ask(radio, "ats105=99\r");
    EXPECT_EQ(Ask(radio, "at&w\r"), "at&w\r\n\r\nOK\r\n");
    EXPECT_TRUE(radio.TakeSaved());
    EXPECT_FALSE(radio.TakeSaved()) << "reported once";
    radio.Reset();
    EXPECT_EQ(radio.Register(105), 99);
}

TEST(SimPowerOn, ANewSerialRateTakesEffectAtTheNextPowerOn) {
    CSimRadio radio(FAMILY_ORV);
    EnterCommandMode(radio);
    Ask(radio, "ats102=5\r");
    Ask(radio, "at&w\r");
    EXPECT_EQ(radio.SerialRate(), 9600) << "the answer to at&w still goes out at the old rate";
    const std::string report = radio.PowerOnAnnouncement();
    EXPECT_EQ(report.substr(7, 2), "05");
    EXPECT_EQ(radio.SerialRate(), 19200);
}

TEST(SimCommandMode, DataModeListensOnlyForTheEscapeSequence) {
    CSimRadio radio(FAMILY_ORV);
    EXPECT_EQ(Ask(radio, "ATS105?\r"), "");
    EXPECT_EQ(Ask(radio, "xx+"), "");
    EXPECT_EQ(Ask(radio, "++"), "\r\nNO CARRIER\r\nOK\r\n") << "split across writes";
    EXPECT_EQ(Ask(radio, "ata\r"), "ata\r\n\r\nOK\r\n");
    EXPECT_FALSE(radio.InCommandMode());
    EXPECT_EQ(Ask(radio, "ATS105?\r"), "");
}

TEST(SimCommandMode, CommandsSplitAcrossWritesAndOverlongLines) {
    CSimRadio radio(FAMILY_QX);
    EnterCommandMode(radio);
    EXPECT_EQ(Ask(radio, "ATS1"), "");
    EXPECT_EQ(Ask(radio, "08?\r"), "ATS108?\r\n30\r\n\r\nOK\r\n");
    EXPECT_TRUE(EndsWith(Ask(radio, std::string(500, 'A') + "\r"), "ERROR\r\n"));
    EXPECT_EQ(Ask(radio, "AT\r"), "AT\r\n\r\nOK\r\n");
}
