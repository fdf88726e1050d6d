// The simulated radio as the tool sees it: the texts and positions the tool relies on, and state
// that survives switching off and on.

#include "sim/SimRadio.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const std::string kStart = CSimRadio::kStartAnswer;
const std::string kPowerOn = "(off and on)"; // said instead of sending bytes
const std::string kOrvReport = "CH03UHF07 ORV-25W\r\n";

std::string Ok(const std::string& command, const std::string& value = "") {
    return command + "\n" + (value.empty() ? "" : value + "\r\n") + CSimRadio::kOk;
}
std::string Refused(const std::string& command) {
    return command + "\n" + CSimRadio::kError;
}

} // namespace

// Conversations with a radio switched on in data mode: each row what is sent and what the
// radio must answer.
TEST(SimRadio, AnswersEveryConversationAsTheTableSays) {
    struct Case {
        const char* what;
        int family;
        std::vector<std::pair<std::string, std::string>> talk;
    };
    const std::string a105 = "ATS105?\r";
    const Case cases[] = {
        {"data mode hears only the escape; commands may split; bad values are refused",
         FAMILY_QX,
         {{a105 + "xx+", ""},
          {"++", kStart},
          {"ATS1", ""},
          {"08?\r", Ok("ATS108?\r", "30")},
          {"ats108=256\r", Refused("ats108=256\r")},
          {std::string(500, 'A') + "\r", CSimRadio::kError},
          {"ata\r", Ok("ata\r")},
          {a105, ""}}},
        {"only saved settings and the new rate survive switching off and on",
         FAMILY_ORV,
         {{kPowerOn, kOrvReport},
          {"+++ats105=99\r", kStart + Ok("ats105=99\r")},
          {kPowerOn, kOrvReport},
          {"+++" + a105, kStart + Ok(a105, "12")},
          {"ats105=99\rats102=5\r", Ok("ats105=99\r") + Ok("ats102=5\r")},
          {"at&w\r", Ok("at&w\r")},
          {kPowerOn, "CH03UHF05 ORV-25W\r\n"},
          {"+++" + a105, kStart + Ok(a105, "99")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSimRadio radio(c.family);
        for (const auto& [sent, answer] : c.talk) {
            EXPECT_EQ(sent == kPowerOn ? radio.PowerOnAnnouncement() : radio.Receive(sent), answer)
                << sent;
        }
    }
}

// The longest lines ("Rx&Tx", the highest frequencies) in every row but the first two: the
// columns stay where the tool reads them and the whole listing fits the tool's reply buffer.
TEST(SimRadio, FullListingKeepsItsColumnsAndFitsTheReplyBuffer) {
    CSimRadio radio(FAMILY_QX);
    radio.Receive("+++");
    for (int n = 0; n < SimState::kChannels; ++n) {
        radio.SetChannel(n, SimChannel{true, 480000000 - n, n % 3, std::min(n, 2)});
    }
    const std::string listing = radio.Receive("ATP0?\r");
    EXPECT_LT(listing.size(), 4096u);
    const auto pad = [](std::string text, std::size_t width) {
        return text.resize(width, ' '), text;
    };
    const char* bandwidths[] = {"6.25 KHz", "12.5 KHz", "25   KHz"};
    const char* directions[] = {"Rx", "Tx", "Rx&Tx"};
    std::size_t at = listing.find("--\r\n\r\n") + 6;
    for (int n = 0; n < 64; ++n) {
        const std::size_t end = listing.find("\r\n", at);
        char mhz[16];
        std::snprintf(mhz, sizeof mhz, "%.6f", (480000000 - n) / 1e6);
        EXPECT_EQ(listing.substr(at, end - at), pad(std::to_string(n), 20) + pad(mhz, 18) +
                                                    pad(bandwidths[n % 3], 13) +
                                                    directions[std::min(n, 2)]);
        at = end + 2;
    }
    EXPECT_EQ(listing.substr(at), "\r\nOK\r\n") << "64 lines, then the end";
}

// The faults that change what the radio does, each at the reply it picks: a prompt left out (the
// field keeps what the channel held), a prompt asked again (the answer not taken), a register
// write taken and echoed with its last digit changed. Elsewhere they do not strike.
TEST(SimRadio, SkippedAndRepeatedPromptsAndAChangedDigit) {
    const std::string ask[] = {CSimRadio::kChannelPrompt, CSimRadio::kFrequencyPrompt,
                               CSimRadio::kBandwidthPrompt, CSimRadio::kDirectionPrompt};
    const auto at = [](SimStepFault fault, int reply) {
        SimFaults faults;
        faults.stepFault = fault;
        faults.stepFaultAt = reply;
        return faults;
    };
    // "+++" is reply 1, "ATP0=" 2, the access code 3, the answer "5" 4.
    const auto dialogue = [&](SimStepFault fault) {
        CSimRadio radio(FAMILY_QX);
        radio.SetFaults(at(fault, 4));
        const SimChannel before = radio.Channel(5);
        std::string said = radio.Receive("+++ATP0=\rmord%ax5\r");
        said += radio.Receive("1\r");
        EXPECT_TRUE(radio.StepFaultStruck());
        return std::tuple(said, before, radio);
    };
    const std::string opening = kStart + "ATP0=\r\r\n" + ask[0];
    {
        auto [said, before, radio] = dialogue(SimStepFault::SkipPrompt);
        EXPECT_EQ(said, opening + "5\r\n" + ask[2] + "1\r\n" + ask[3]);
        EXPECT_EQ(radio.Receive("2\r"), "2\r\n" + ask[0]);
        EXPECT_EQ(radio.Channel(5).frequencyHz, before.frequencyHz);
        EXPECT_EQ(std::pair(radio.Channel(5).bandwidth, radio.Channel(5).direction),
                  std::pair(1, 2));
    }
    {
        auto [said, before, radio] = dialogue(SimStepFault::RepeatPrompt);
        EXPECT_EQ(said, opening + "5\r\n" + ask[0] + "1\r\n" + ask[1]);
    }
    CSimRadio radio(FAMILY_QX);
    radio.SetFaults(at(SimStepFault::ChangeDigit, 2));
    EXPECT_EQ(radio.Receive("+++ats102=5\rats101=1\r"),
              kStart + Ok("ats102=6\r") + Ok("ats101=1\r"));
    EXPECT_EQ(radio.Register(102), 6);
    radio.Reset();
    radio.SetFaults(at(SimStepFault::ChangeDigit, 2));
    EXPECT_EQ(radio.Receive("+++ATS102?\r"), kStart + Ok("ATS102?\r", "7"));
    EXPECT_FALSE(radio.StepFaultStruck());
}
