// The engine fed by hand: both reads register by register and both writes command by
// command, how a read ends, the replies that must not move either on, line noise in front of
// every answer, the answers a write must refuse, the channel-listing parser, the write plans
// refused before anything is sent, and the ORV power-on report.

#include "exchange/RadioExchange.h"
#include "exchange/PowerOnReport.h"
#include "exchange/ReadFailureText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Readable failures for the channel rows (found by argument-dependent lookup).
void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << e.channel + "|" + e.frequency + "|" + e.bandwidth + "|" + e.direction;
}

namespace {

// Every host call in order in log; commands also on their own.
class RecordingHost : public IExchangeHost {
public:
    std::vector<std::string> log;
    std::vector<std::string> commands;

    void SendCommand(const std::string& text) override {
        commands.push_back(text);
        log.push_back("send " + text);
    }
    void Hold(int ms) override { log.push_back("hold " + std::to_string(ms)); }
    void ReadStarted(RadioFamily f) override { log.push_back("started " + std::to_string(f)); }
    void ReadFinished(RadioFamily f) override { log.push_back("finished " + std::to_string(f)); }
    void SetWatchdog(int ms) override { log.push_back("watchdog " + std::to_string(ms)); }
    void NoAnswer() override { log.push_back("no answer"); }
    void ReplyRejected() override { log.push_back("rejected"); }
    void WriteFinished(RadioFamily f) override { log.push_back("saved " + std::to_string(f)); }
    void WriteFailed(RadioFamily f) override { log.push_back("write failed " + std::to_string(f)); }
    void WriteBroken(RadioFamily, const WriteFault& fault) override {
        // Prompts by the words that tell them apart ("Channel N", "Frequency", "Channel D").
        const auto brief = [](const std::string& text) {
            return text.size() == 58 ? text.substr(6, 9) : text;
        };
        log.push_back(std::string(fault.kind == WriteFault::Kind::WrongEcho ? "echo " : "prompt ") +
                      brief(fault.expected) + "|" + brief(fault.received));
    }
    void SaveUnconfirmed(RadioFamily f) override {
        log.push_back("unconfirmed " + std::to_string(f));
    }
    void ReadFailed(ReadFailure why, const std::string& command, const std::string& r) override {
        log.push_back("failed " + std::to_string(static_cast<int>(why)) + " " + command);
        reply = r;
    }

    std::string reply; // of the last failed read

    long Count(const std::string& prefix) const {
        return std::count_if(log.begin(), log.end(),
                             [&](const std::string& e) { return e.starts_with(prefix); });
    }
};

struct Link {
    explicit Link(RadioFamily family) { exchange.SetFamily(family); }
    void Feed(const std::string& bytes) {
        for (const char c : bytes) {
            exchange.OnPortRxChar(static_cast<unsigned char>(c));
        }
    }
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};
};

const std::string kStartAnswer = CRadioExchange::kStartAnswer;
constexpr int kNoAnswerMs = CRadioExchange::kNoAnswerMs;

// Echo, line end, value, line end, blank line, "OK".
std::string Register(const std::string& echo, const std::string& value) {
    return echo + "\r\n" + value + "\r\n\r\nOK\r\n";
}

// A row as a listing line: number, frequency at column 20, bandwidth at 38, direction from 51.
std::string ChannelLine(const ChannelEntry& row) {
    std::string line = row.channel;
    line.resize(20, ' ');
    line += row.frequency;
    line.resize(38, ' ');
    line += row.bandwidth;
    line.resize(51, ' ');
    return line + row.direction;
}

ChannelEntry Row(int n, const std::string& frequency = "") {
    return {std::to_string(n), frequency.empty() ? std::to_string(410 + n) + ".000000" : frequency,
            "25   KHz", "Rx&Tx"};
}

std::string Line(int n, const std::string& frequency = "") {
    return ChannelLine(Row(n, frequency));
}

const std::string kListingHead =
    "ATP0?\r\nChannel             Frequency         Bandwidth    Direction\r\n" +
    std::string(64, '-') + "\r\n\r\n";

// Lines are given without their line ends.
std::string Listing(const std::vector<std::string>& lines) {
    std::string text = kListingHead;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text + "\r\nOK\r\n";
}

// Each family's commands in the order they go on the wire.
const std::vector<std::string> kOrder[] = {
    {"ATS128?", "ATS186?", "ATS101?", "ATS127?", "ATS103?", "ATS141?", "ATS125?", "ATS131?",
     "ATS132?", "ATS191?", "ATS192?", "ATS105?", "ATS108?", "ATS158?", "ATS102?", "ATS110?",
     "ATP0?"},
    {"ATS128?", "ATS186?", "ATS127?", "ATS103?", "ATS141?", "ATS101?", "ATS226?", "ATS190?",
     "ATS105?", "ATP0?"},
};
static_assert(FAMILY_QX == 0 && FAMILY_ORV == 1);

// The healthy replies of a family's read up to (not including) the reply to command.
std::string RepliesBefore(int family, const std::string& command) {
    std::string text;
    for (const std::string& echo : kOrder[family]) {
        if (echo == command) {
            return text;
        }
        text += Register(echo, "1");
    }
    ADD_FAILURE() << command << " is not read";
    return text;
}

// A whole read: the start answer, each register's reply with its value (answering the command
// just sent), then the listing; the rows and the registers in expected are all that changed.
void ExpectRead(RadioFamily family, const std::vector<std::string>& values, int holdMs,
                const std::vector<ChannelEntry>& rows, RadioSettings expected,
                const RadioSettings& held = {}) {
    Link link(family);
    link.settings = held;
    link.Feed(kStartAnswer);
    ASSERT_EQ(link.host.log.front(), "started " + std::to_string(family));
    ASSERT_EQ(values.size() + 1, kOrder[family].size());
    std::size_t fed = 0; // bytes after the start answer
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(link.host.commands.back(), kOrder[family][i] + "\r");
        link.Feed(Register(kOrder[family][i], values[i]));
        fed += Register(kOrder[family][i], values[i]).size();
    }
    // The listing command is held, and watched for the hold on top of the usual period.
    const std::vector<std::string>& log = link.host.log;
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"send ATP0?\r", "hold " + std::to_string(holdMs),
                                        "watchdog " + std::to_string(kNoAnswerMs + holdMs)}));
    std::vector<std::string> lines;
    for (const ChannelEntry& row : rows) {
        lines.push_back(ChannelLine(row));
        expected.channels[std::stoul(row.channel)] = row;
    }
    link.Feed(Listing(lines));
    // Every byte while a command is outstanding re-arms the watchdog once (a slow radio is
    // waited for), from the start answer's last byte on; the end stops it.
    EXPECT_EQ(link.host.Count("watchdog"), 2 + fed + Listing(lines).size() - 1);
    EXPECT_EQ(link.host.commands.size(), kOrder[family].size());
    EXPECT_EQ(link.host.Count("hold"), 1);
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (std::vector<std::string>{"watchdog 0", "finished " + std::to_string(family)}));
    EXPECT_TRUE(link.settings.orv == expected.orv && link.settings.qx == expected.qx);
    EXPECT_EQ(link.settings.channels, expected.channels);
}

TEST(ReadSequence, OrvReadsNineRegistersAndTheListing) {
    RadioSettings expected;
    expected.orv = {7, 4, 2, 5, 3, 8, 6, 1, "123"};
    RadioSettings held; // a row of an earlier radio that this listing does not name goes
    held.channels[5] = Row(5);
    ExpectRead(
        FAMILY_ORV, {"7", "4", "2", "5", "3", "8", "6", "1", "123"},
        CRadioExchange::kOrvListingHoldMs,
        {Row(0), {"1", "433.125000", "12.5 KHz", "Rx"}, {"17", "450.500000", "6.25 KHz", "Tx"}},
        expected, held);
}

TEST(ReadSequence, QxReadsSixteenRegistersAndAFullListing) {
    RadioSettings expected;
    expected.qx = {2, 1, 3, 4, 1, 2, 12, 0, 63, 0, 200, 27, 1, 14, 10}; // S128 is not kept
    std::vector<ChannelEntry> rows; // all 64 channels, the longest listing
    for (int n = 0; n < 64; ++n) {
        rows.push_back(Row(n));
    }
    // The widest value each register holds (the dash rule: the digits before it, no dash: 0).
    ExpectRead(FAMILY_QX,
               {"9", "2", "1", "3", "4", "1", "2", "12-440.000000", "45", "63-433.125000", "9",
                "200", "27", "1", "14", "10"},
               CRadioExchange::kQxListingHoldMs, rows, expected);
}

TEST(ReadFailures, GarbledOrRefusedRepliesEndTheReadAtOnceNamingTheCommand) {
    // Family, the reply to the command (garbled or refused), and the failure reported.
    const std::tuple<int, std::string, std::string> cases[] = {
        {FAMILY_QX, Register("ATS132?", "\xff\x36"), "failed 0 ATS132?"}, // "\xff6", no dash
        {FAMILY_ORV, Register("ATS128?", ""), "failed 0 ATS128?"},        // its digit lost
        {FAMILY_QX, Register("ATS108?", "2\x81"), "failed 0 ATS108?"},
        {FAMILY_QX, Register("ATS102?", "-7"), "failed 0 ATS102?"},
        {FAMILY_QX, "ATS105?\r\n\r\nERROR\r\n", "failed 1 ATS105?"},
        // More digits than the register has, or a letter: noise, not a value to cut short.
        {FAMILY_ORV, Register("ATS128?", "72"), "failed 0 ATS128?"},
        {FAMILY_QX, Register("ATS101?", "A"), "failed 0 ATS101?"},
        {FAMILY_QX, Register("ATS108?", "275"), "failed 0 ATS108?"},
        {FAMILY_QX, Register("ATS131?", "123-440.000000"), "failed 0 ATS131?"},
        {FAMILY_ORV, Register("ATS105?", "1234"), "failed 0 ATS105?"},
        {FAMILY_QX, Register("ATS110?", "100"), "failed 0 ATS110?"},
    };
    for (const auto& [family, reply, failure] : cases) {
        SCOPED_TRACE(reply);
        Link link(static_cast<RadioFamily>(family));
        link.Feed(kStartAnswer + RepliesBefore(family, failure.substr(9)));
        const RadioSettings before = link.settings;
        const std::size_t sent = link.host.commands.size();
        link.Feed(reply);
        EXPECT_EQ(link.host.log.back(), failure);
        EXPECT_EQ(link.host.reply, reply) << "the reply goes with the failure";
        EXPECT_EQ(link.host.commands.size(), sent) << "nothing sent after the failure";
        EXPECT_FALSE(link.exchange.AwaitingAnswer() || link.exchange.Reading());
        EXPECT_TRUE(link.settings == before) << "nothing of the reply is taken";
        link.Feed(kStartAnswer); // a new read may follow
        EXPECT_EQ(link.host.commands.back(), "ATS128?\r");
    }
}

TEST(ReadFailures, StartAnswersInARunningReadRestartItTwiceThenEndIt) {
    Link link(FAMILY_QX);
    // Two restarts, the second one later in the read; then the read goes through.
    link.Feed(kStartAnswer + RepliesBefore(FAMILY_QX, "ATS186?") + kStartAnswer);
    link.Feed(RepliesBefore(FAMILY_QX, "ATS131?") + kStartAnswer +
              RepliesBefore(FAMILY_QX, "ATP0?") + Listing({}));
    EXPECT_EQ(link.host.log.back(), "finished 0");

    // A finished read is not under way: a radio restarting on ATS186? every time is given up
    // on at its third restart.
    const std::string loop = kStartAnswer + RepliesBefore(FAMILY_QX, "ATS186?");
    link.Feed(loop + loop + loop);
    EXPECT_EQ(link.host.Count("failed"), 0);
    link.Feed(kStartAnswer);
    EXPECT_EQ(link.host.log.back(), "failed 2 ATS186?");
}

TEST(ReadFailures, TheMessageQuotesTheReplyPrintably) {
    EXPECT_EQ(ReadFailureText(ReadFailure::Garbled, "ATS128?", Register("ATS128?", "7\xff"), true),
              "The radio's reply to ATS128? was garbled (\"ATS128?\\r\\n7\\xFF\\r\\n\\r\\nOK"
              "\\r\\n\"); check the cable.");
    // A listing is not quoted whole: its first line with a byte that does not belong.
    Link link(FAMILY_QX);
    link.Feed(kStartAnswer + RepliesBefore(FAMILY_QX, "ATP0?") +
              Listing({Line(1), Line(2) + "\x81", Line(3) + "\x82"}));
    EXPECT_EQ(link.host.log.back(), "failed 0 ATP0?");
    EXPECT_EQ(link.host.reply, Line(2) + "\x81\r");
}

TEST(ChannelListing, FillsTheRowsItNamesAndNoOthers) {
    std::vector<std::string> overlong;
    std::vector<std::pair<int, ChannelEntry>> allRows;
    for (int n = 0; n < 64; ++n) {
        overlong.push_back(Line(n));
        allRows.emplace_back(n, Row(n));
    }
    overlong.insert(overlong.end(), 10, Line(1, "999.000000"));
    ChannelEntry repeated = Row(9);
    repeated.channel = "9 "; // cut at the width of "63"

    // Family, listing, and the rows it fills.
    const std::tuple<RadioFamily, std::string, std::vector<std::pair<int, ChannelEntry>>> cases[] =
        {
            {FAMILY_QX, // columns; numbers outside the table
             Listing({Line(70), ChannelLine({"-1", "440.000000", "25   KHz", "Rx"}),
                      ChannelLine({"5", "433.125000", "6.25 KHz", "Rx"}), Line(12)}),
             {{5, {"5", "433.125000", "6.25 KHz", "Rx"}}, {12, Row(12)}}},
            {FAMILY_QX, "ATP0?\r\n----------\r\n" + Line(3) + "\r\n\r\nOK\r\n", {}}, // no marker
            {FAMILY_ORV, // row 63 repeats the line two before
             Listing({Line(9), Line(10), Line(63)}),
             {{9, Row(9)}, {10, Row(10)}, {63, repeated}}},
            {FAMILY_ORV, Listing({Line(63)}), {{63, Row(63)}}},
            {FAMILY_QX, Listing(overlong), allRows}, // lines beyond the 64th
        };
    for (const auto& [family, listing, rows] : cases) {
        SCOPED_TRACE(listing);
        Link link(family);
        for (const std::size_t n : {0, 2, 9, 63}) {
            link.settings.channels[n] = Row(static_cast<int>(n), "455.000000");
        }
        RadioSettings expected = link.settings;
        for (const auto& [n, row] : rows) {
            expected.channels[static_cast<std::size_t>(n)] = row;
        }
        EXPECT_TRUE(link.exchange.ParseChannelListing(
            reinterpret_cast<const unsigned char*>(listing.data()),
            static_cast<int>(listing.size())));
        EXPECT_EQ(link.settings.channels, expected.channels);
    }
}

// Channels 0..15 and 48..63.
OrvWritePlan GoodOrvPlan() {
    OrvWritePlan plan{
        .protocol = 1, .modeIndex = 4, .address = "255", .currentChannel = 16, .portRateIndex = 8};
    for (int i = 0; i < 32; ++i) {
        plan.program[static_cast<std::size_t>(i)] = {
            std::to_string(i < 16 ? i : 32 + i), std::to_string(433125000 + 12500 * i),
            std::to_string(i % 3), std::to_string(2 - i % 3)};
    }
    return plan;
}

QxWritePlan GoodQxPlan() {
    QxWritePlan plan{.protocolIndex = 1,
                     .workModeIndex = 2,
                     .modulationIndex = 1,
                     .airRateIndex = 5,
                     .bandwidthIndex = 1,
                     .unitAddress = 201,
                     .mainTxIndex = 4,
                     .mainRxIndex = 5,
                     .repeaterTxIndex = 62,
                     .repeaterRxIndex = 63,
                     .powerIndex = 13,
                     .fecIndex = 1,
                     .portRateIndex = 9,
                     .dataFormatIndex = 0};
    for (int i = 0; i < 64; ++i) {
        plan.program[static_cast<std::size_t>(i)] = {std::to_string(i), "0", "0", "0"};
    }
    return plan;
}

const char* const kPrompts[] = {CWriteSequence::kChannelPrompt, CWriteSequence::kFrequencyPrompt,
                                CWriteSequence::kBandwidthPrompt, CWriteSequence::kDirectionPrompt};
const std::string kEsc = "\x1b";

// A healthy radio's answer to each command of a write: the echo of what it was typed, then the
// next prompt of the dialogue, or "OK".
class HealthyWriteRadio {
public:
    std::string Answer(const std::string& command) {
        const std::string echo = command.substr(0, command.find('\r'));
        if (command == "ATP0=\r") {
            return command;
        }
        if (command == "mord%ax") {
            m_prompt = 0;
            return "\r\n" + std::string(kPrompts[0]);
        }
        if (command == kEsc) {
            m_prompt = -1;
            return "\r\nOK\r\n";
        }
        if (m_prompt >= 0) {
            m_prompt = (m_prompt + 1) % 4;
            return echo + "\r\n" + kPrompts[m_prompt];
        }
        return echo + "\r\n\r\nOK\r\n";
    }

private:
    int m_prompt = -1; // the prompt asked last, -1 outside the dialogue
};

// What the radio answers to command number k (as in host.commands), given its healthy answer.
using Spoil = std::function<std::string(std::size_t k, const std::string& healthy)>;

// Answers every command the write sends until it sends no more. Returns the commands, without
// their "\r", space-separated.
std::string DriveWrite(Link& link, const Spoil& spoil = {}) {
    HealthyWriteRadio radio;
    for (std::size_t k = 0; k < link.host.commands.size() && k < 1000; ++k) {
        const std::string answer = radio.Answer(link.host.commands[k]);
        link.Feed(spoil ? spoil(k, answer) : answer);
    }
    std::string wire;
    for (const std::string& command : link.host.commands) {
        wire += (wire.empty() ? "" : " ") + command.substr(0, command.find('\r'));
    }
    return wire;
}

// The dialogue for a plan's rows as DriveWrite returns it.
template <class Rows> std::string Dialogue(const Rows& rows) {
    std::string text = "ATP0= mord%ax";
    for (const ChannelEntry& row : rows) {
        text += " " + row.channel + " " + row.frequency + " " + row.bandwidth + " " + row.direction;
    }
    return text + " \x1b ";
}

TEST(WriteSequence, EveryCommandOnTheWireInOrder) {
    OrvWritePlan lastSlot = GoodOrvPlan();
    lastSlot.writePower = true;
    lastSlot.qxPowerIndex = 13;
    OrvWritePlan slot7 = GoodOrvPlan();
    slot7.closeAddress = 1;
    slot7.currentChannel = 7;
    slot7.portRateIndex = 3;
    const std::tuple<RadioFamily, std::function<bool(CRadioExchange&)>, std::string> cases[] = {
        {FAMILY_ORV, [&](CRadioExchange& e) { return e.StartWrite(lastSlot); },
         Dialogue(lastSlot.program) + "AT&F57 ats105=255 ats190=0 ats131=60 ats132=61 ats191=62 "
                                      "ats192=61 ats102=9 ats108=33 at&w"},
        {FAMILY_ORV, [&](CRadioExchange& e) { return e.StartWrite(slot7); },
         Dialogue(slot7.program) + "AT&F57 ats105=255 ats190=1 ats131=24 ats132=25 ats191=26 "
                                   "ats192=27 ats102=3 at&w"},
        {FAMILY_QX, [](CRadioExchange& e) { return e.StartWrite(GoodQxPlan()); },
         Dialogue(GoodQxPlan().program) +
             "AT&F53 ats105=201 ats131=4 ats132=5 ats191=62 ats192=63 ats186=1 ats101=2 "
             "ats127=1 ats103=5 ats125=1 ats108=33 ats158=1 ats102=9 ats110=1 at&w"},
    };
    for (const auto& [family, start, wire] : cases) {
        Link link(family);
        ASSERT_TRUE(start(link.exchange));
        EXPECT_EQ(DriveWrite(link), wire);
        EXPECT_EQ(link.host.log.back(), "saved " + std::to_string(family));
    }
}

// A whole read with noise in front of every answer, the start answer included: what it reads
// and sends.
std::pair<RadioSettings, std::vector<std::string>> ReadBehindNoise(RadioFamily family,
                                                                   const std::string& noise) {
    Link link(family);
    link.Feed(noise + kStartAnswer);
    for (std::size_t i = 0; i + 1 < kOrder[family].size(); ++i) {
        const bool channel = family == FAMILY_QX && i >= 7 && i <= 10; // ATS131? .. ATS192?
        link.Feed(noise + Register(kOrder[family][i], channel ? "7-433.125000MHz" : "5"));
    }
    link.Feed(noise + Listing({Line(3), Line(62)}));
    EXPECT_EQ(link.host.Count("finished " + std::to_string(family)), 1) << noise;
    return {link.settings, link.host.commands};
}

TEST(LineNoise, ANoiseByteBeforeAnyAnswerOfAReadOrWriteChangesNothing) {
    const auto startWrite = [](Link& link) {
        return link.exchange.Family() == FAMILY_ORV ? link.exchange.StartWrite(GoodOrvPlan())
                                                    : link.exchange.StartWrite(GoodQxPlan());
    };
    for (const RadioFamily family : {FAMILY_QX, FAMILY_ORV}) {
        const auto read = ReadBehindNoise(family, "");
        Link clean(family);
        ASSERT_TRUE(startWrite(clean));
        const std::string wire = DriveWrite(clean);
        // Bytes that cannot begin the answers, and some that could begin one of them.
        for (const std::string noise : {"\xfe", "#", "\r", "\n", "A", "O", "\x11\xa7#~\xfe"}) {
            SCOPED_TRACE(noise);
            const auto noisy = ReadBehindNoise(family, noise);
            EXPECT_TRUE(noisy.first == read.first);
            EXPECT_EQ(noisy.second, read.second);
            Link link(family);
            ASSERT_TRUE(startWrite(link));
            EXPECT_EQ(
                DriveWrite(link, [&](std::size_t, const std::string& a) { return noise + a; }),
                wire);
            EXPECT_EQ(link.host.log.back(), "saved " + std::to_string(family));
        }
    }
}

// The ORV write of GoodOrvPlan sends: 0 "ATP0=", 1 the access code, 2..129 the answers to the
// 32 rows' prompts (row r's channel at 2 + 4r), 130 ESC, 131 "AT&F57", 132 "ats105=255" ..
// 138 "ats102=9", 139 "at&w". An answer that is not the one due ends the write at once: ESC
// where the dialogue was open, nothing else after it; "at&w" answered in a way not understood
// may have saved; only ERROR says it was refused.
TEST(WriteChecks, EveryPromptAndEchoIsTheOneDueOrTheWriteEndsThere) {
    const std::string ok = "\r\nOK\r\n";
    const std::string channel = kPrompts[0];
    const std::string frequency = kPrompts[1];
    const std::string bandwidth = kPrompts[2];
    const std::string direction = kPrompts[3];
    // The command whose answer is spoiled, the answer, how the write ends, and whether ESC
    // follows. A last entry of "no answer" or "unconfirmed" comes from the watchdog.
    const std::tuple<std::size_t, std::string, std::string, bool> cases[] = {
        {2, "0\r\n" + bandwidth, "prompt Frequency|Bandwidth", true}, // skipped
        {5, "2\r\n" + direction, "prompt Channel N|Channel D", true}, // repeated
        {3, "433125001\r\n" + bandwidth, "echo 433125000|433125001", true},
        {2, "10\r\n" + frequency, "echo 0|10", true}, // a digit in front: another number
        {1, "\r\nmord%ax\r\n" + bandwidth, "prompt Channel N|Bandwidth", true},
        {4, "0\r\n" + ok, "echo 0|0", false}, // the radio left the dialogue
        {130, channel, "prompt OK|Channel N", true},
        {131, "AT&F58\r\n" + ok, "echo AT&F57|AT&F58", false},
        {138, "ats102=8\r\n" + ok, "echo ats102=9|ats102=8", false},
        {133, kStartAnswer, "echo ats190=0|NO CARRIER", false}, // restarted: no read starts
        {132, bandwidth, "prompt ats105=255|Bandwidth", true},
        {138, "ats102=9\r\n\r\nO", "no answer", false},
        {139, "at&x\r\n" + ok, "unconfirmed 1", false},
        {139, channel, "unconfirmed 1", false},
        {139, "at&w\r\n\r\nO", "unconfirmed 1", false}, // cut short, then silence
        {139, "at&w\r\nERROR\r\n", "write failed 1", false},
    };
    for (const auto& [at, answer, end, esc] : cases) {
        SCOPED_TRACE(end);
        Link link(FAMILY_ORV);
        ASSERT_TRUE(link.exchange.StartWrite(GoodOrvPlan()));
        DriveWrite(link, [&](std::size_t k, const std::string& healthy) {
            return k == at ? answer : healthy;
        });
        link.exchange.OnWatchdogExpired();
        EXPECT_EQ(link.host.log.back(), end);
        const std::vector<std::string> after(link.host.commands.begin() + at + 1,
                                             link.host.commands.end());
        EXPECT_EQ(after, esc ? std::vector<std::string>{kEsc} : std::vector<std::string>{});
        EXPECT_FALSE(link.exchange.AwaitingAnswer() || link.exchange.Write().Running() ||
                     link.exchange.Reading());
    }
}

TEST(WriteChecks, TheMessagesNameThePromptsAndQuoteTheEcho) {
    const WriteFault skipped{WriteFault::Kind::UnexpectedPrompt, CWriteSequence::kFrequencyPrompt,
                             CWriteSequence::kBandwidthPrompt};
    EXPECT_EQ(WriteFaultText(skipped, true),
              "The radio asked for the bandwidth where the frequency was due.");
    EXPECT_EQ(WriteFaultText(skipped, false), "电台要求的是带宽，此时应为频率。");
    const WriteFault changed{WriteFault::Kind::WrongEcho, "ats102=9", "ats102=8"};
    EXPECT_EQ(WriteFaultText(changed, true), "The radio took ats102=8 where ats102=9 was sent.");
    EXPECT_EQ(WriteFaultText(changed, false), "电台收到的是ats102=8，发送的是ats102=9。");
}

using Problems = std::vector<WritePlanProblem>;
constexpr auto kRow = WritePlanFault::ProgramRow;
constexpr auto kReg = WritePlanFault::Register;

TEST(WritePlanCheck, FaultsAreNamedAndNothingIsSent) {
    const std::pair<std::function<void(OrvWritePlan&)>, Problems> orv[] = {
        {[](OrvWritePlan& p) { p.program[3].frequency = "409999999"; }, {{kRow, 3}}},
        {[](OrvWritePlan& p) { p.program[5].frequency = "4331250\r00"; }, {{kRow, 5}}},
        {[](OrvWritePlan& p) { p.portRateIndex = 9; }, {{WritePlanFault::PortRate}}},
        {[](OrvWritePlan& p) { p.address = "256"; }, {{kReg, 105}}},
        {[](OrvWritePlan& p) { p.address = "1\rat&w"; }, {{kReg, 105}}},
        {[](OrvWritePlan& p) { p.currentChannel = 17; }, {{kReg, 131}}},
        {[](OrvWritePlan& p) { p.writePower = true, p.qxPowerIndex = -1; }, {{kReg, 108}}},
        {[](OrvWritePlan& p) { p.qxPowerIndex = -1; }, {}}, // not written, not checked
        {[](OrvWritePlan& p) { p.program[0].frequency = "0"; }, {}},
        {[](OrvWritePlan& p) { p.program[1].bandwidth = "x", p.modeIndex = -1; },
         {{kRow, 1}, {WritePlanFault::NoPreset}}},
    };
    for (const auto& [change, problems] : orv) {
        OrvWritePlan plan = GoodOrvPlan();
        change(plan);
        EXPECT_EQ(CheckWritePlan(plan), problems);
        Link link(FAMILY_ORV);
        EXPECT_EQ(link.exchange.StartWrite(plan), problems.empty());
        EXPECT_EQ(link.host.commands.empty(), !problems.empty());
    }
    QxWritePlan plan = GoodQxPlan();
    plan.dataFormatIndex = -1;
    plan.program[63] = {"63", "433125000", "", "2"}; // incomplete rows go as "0", "0", "0"
    EXPECT_EQ(CheckWritePlan(plan), (Problems{{kRow, 63}, {kReg, 110}}));
}

// Only the answer to the command sent last, while a read runs, moves it on: a late answer after
// the read ended once sent a command nobody waited for, and one echoing another step skipped
// registers.
TEST(StrayReplies, ChangeNothingAndLeaveTheAwaitedAnswerAwaited) {
    const auto readUpTo = [](int family, std::string command, std::string end = "") {
        return [=](Link& l) { l.Feed(kStartAnswer + RepliesBefore(family, command) + end); };
    };
    const std::string late =
        Register("ATS186?", "2") + Register("ATS110?", "1") + Listing({Line(3)});
    const std::tuple<RadioFamily, std::function<void(Link&)>, std::string> cases[] = {
        {FAMILY_QX,
         [](Link& l) {
             l.Feed(kStartAnswer + Register("ATS128?", "1"));
             l.exchange.OnWatchdogExpired();
         },
         late},
        {FAMILY_QX, readUpTo(FAMILY_QX, "ATS186?", "ATS186?\r\nERROR\r\n"), late},
        {FAMILY_QX, readUpTo(FAMILY_QX, "ATP0?", Listing({})), late},
        {FAMILY_ORV, readUpTo(FAMILY_ORV, "ATS186?"), Register("ATS190?", "1")},
        {FAMILY_ORV, readUpTo(FAMILY_ORV, "ATS105?"), Listing({Line(3)})},
        {FAMILY_QX, readUpTo(FAMILY_QX, "ATP0?"), Register("ATS110?", "3")},
    };
    for (const auto& [family, arrange, stray] : cases) {
        SCOPED_TRACE(stray);
        Link link(family);
        arrange(link);
        const RadioSettings before = link.settings;
        const std::vector<std::string> sent = link.host.commands;
        const bool awaiting = link.exchange.AwaitingAnswer();
        const bool reading = link.exchange.Reading();
        const auto ends = [&] { return link.host.Count("finished") + link.host.Count("failed"); };
        const long endsBefore = ends();
        link.Feed(stray);
        EXPECT_EQ(link.host.commands, sent);
        EXPECT_EQ(ends(), endsBefore);
        EXPECT_TRUE(link.settings == before);
        EXPECT_EQ(link.exchange.AwaitingAnswer(), awaiting);
        EXPECT_EQ(link.exchange.Reading(), reading);
    }
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
        {"0506 nothing else..", true, 5, 6}, // no "U": channel from 0, code from 2
        // Behind stray bytes the last 19 characters are the report, its numbers in digits.
        {"CH12U UHF 99" + Report("16", "09"), true, 16, 9},
        {"\xff" + Report("1x", "01"), false, 1, 1},
    };
    for (const auto& [text, valid, channel, code] : cases) {
        const PowerOnReport r = ParsePowerOnReport(text);
        EXPECT_EQ(std::tuple(r.valid, r.channel, r.rateCode), std::tuple(valid, channel, code))
            << text;
    }
}

} // namespace
