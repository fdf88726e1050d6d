// The command exchange: both read sequences fed byte by byte, reply recognition, the watchdog,
// oversized replies and the channel-listing parser.

#include "exchange/RadioExchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Readable failures for the channel rows (found by argument-dependent lookup).
void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << "{\"" << e.channel << "\", \"" << e.frequency << "\", \"" << e.bandwidth << "\", \""
        << e.direction << "\"}";
}

namespace {

// Every host call in order in log; commands and watchdog periods also on their own.
class RecordingHost : public IExchangeHost {
public:
    std::vector<std::string> log;
    std::vector<std::string> commands;
    std::vector<int> watchdog; // 0 = stopped
    int noAnswers = 0;
    int rejected = 0;

    void SendCommand(const std::string& text) override {
        commands.push_back(text);
        log.push_back("send " + text);
    }
    void Hold(int ms) override { log.push_back("hold " + std::to_string(ms)); }
    void ReadStarted(RadioFamily family) override {
        log.push_back("started " + std::to_string(family));
    }
    void ReadFinished(RadioFamily family) override {
        log.push_back("finished " + std::to_string(family));
    }
    void SetWatchdog(int ms) override {
        watchdog.push_back(ms);
        log.push_back("watchdog " + std::to_string(ms));
    }
    void NoAnswer() override { ++noAnswers; }
    void ReplyRejected() override { ++rejected; }
    void WriteFinished(RadioFamily family) override {
        log.push_back("saved " + std::to_string(family));
    }
    void WriteFailed(RadioFamily family) override {
        log.push_back("write failed " + std::to_string(family));
    }
    void ReadFailed(ReadFailure why, const std::string& command) override {
        log.push_back("failed " + std::to_string(static_cast<int>(why)) + " " + command);
    }

    long Count(const std::string& prefix) const {
        return std::count_if(log.begin(), log.end(),
                             [&](const std::string& e) { return e.starts_with(prefix); });
    }
};

const std::string kStart = "\r\nNO CARRIER\r\nOK\r\n";

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

void Feed(CRadioExchange& exchange, const std::string& text) {
    for (const char c : text) {
        exchange.OnPortRxChar(static_cast<unsigned char>(c));
    }
}

constexpr int kNoAnswer = CRadioExchange::kNoAnswerMs;

using Answers = std::vector<std::pair<std::string, std::string>>; // echo, value

class ExchangeTest : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};

    // A whole read: the start answer, each register reply (answering the command just sent),
    // then the listing of rows; checks what every read must do on the way, and that the rows
    // and what else is set in expected are all that changed.
    void Read(RadioFamily family, const Answers& answers, int holdMs,
              const std::vector<ChannelEntry>& rows, RadioSettings expected) {
        const std::string f = std::to_string(family);
        exchange.SetFamily(family);
        Feed(exchange, kStart);
        ASSERT_GE(host.log.size(), 2u);
        EXPECT_EQ(host.log[0], "started " + f);
        EXPECT_EQ(host.log[1], "send ATS128?\r");
        std::vector<std::string> commands;
        for (const auto& [echo, value] : answers) {
            commands.push_back(echo + "\r");
            ASSERT_EQ(host.commands.back(), commands.back());
            Feed(exchange, Register(echo, value));
        }
        commands.push_back("ATP0?\r");
        // The listing command is held, and watched for the hold on top of the usual period.
        ASSERT_GE(host.log.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(host.log.end() - 3, host.log.end()),
                  (std::vector<std::string>{"send ATP0?\r", "hold " + std::to_string(holdMs),
                                            "watchdog " + std::to_string(kNoAnswer + holdMs)}));
        EXPECT_EQ(host.Count("hold"), 1);
        EXPECT_EQ(host.Count("finished"), 0);

        std::vector<std::string> lines;
        for (const ChannelEntry& row : rows) {
            lines.push_back(ChannelLine(row));
            expected.channels[static_cast<std::size_t>(std::stoi(row.channel))] = row;
        }
        const std::string listing = Listing(lines);
        ASSERT_LE(listing.size(), static_cast<std::size_t>(ReplyBuffer::kCapacity));
        Feed(exchange, listing);
        EXPECT_EQ(host.commands, commands);
        EXPECT_EQ(host.log.back(), "finished " + f);
        EXPECT_EQ(host.watchdog.back(), 0);
        EXPECT_EQ(host.rejected, 0);
        EXPECT_EQ(exchange.Buffer().count, 0);
        EXPECT_FALSE(exchange.AwaitingAnswer());

        EXPECT_EQ(settings.orv, expected.orv);
        EXPECT_EQ(settings.qx, expected.qx);
        for (std::size_t n = 0; n < settings.channels.size(); ++n) {
            EXPECT_EQ(settings.channels[n], expected.channels[n]) << "channel row " << n;
        }
        EXPECT_TRUE(settings == expected);
    }
};

using ReadSequence = ExchangeTest;
using Recognition = ExchangeTest;
using Watchdog = ExchangeTest;
using Overflow = ExchangeTest;
using ReadFailures = ExchangeTest;

// The healthy replies of a family's read up to (not including) the reply to command.
std::string RepliesBefore(int family, const std::string& command) {
    const std::vector<std::string> orv = {"ATS128?", "ATS186?", "ATS127?", "ATS103?", "ATS141?",
                                          "ATS101?", "ATS226?", "ATS190?", "ATS105?", "ATP0?"};
    const std::vector<std::string> qx = {"ATS128?", "ATS186?", "ATS101?", "ATS127?", "ATS103?",
                                         "ATS141?", "ATS125?", "ATS131?", "ATS132?", "ATS191?",
                                         "ATS192?", "ATS105?", "ATS108?", "ATS158?", "ATS102?",
                                         "ATS110?", "ATP0?"};
    std::string text;
    for (const std::string& echo : family == FAMILY_ORV ? orv : qx) {
        if (echo == command) {
            return text;
        }
        text += Register(echo, echo == "ATS108?" ? "27" : "1");
    }
    ADD_FAILURE() << command << " is not read";
    return text;
}

TEST_F(ReadFailures, GarbledOrRefusedRepliesEndTheReadAtOnceNamingTheCommand) {
    const std::string line = ChannelLine({"3", "433.125000", "12.5 KHz", "Rx"});
    // Family, the reply to the command (garbled or refused), and the failure reported.
    const std::tuple<int, std::string, std::string> cases[] = {
        {FAMILY_QX, Register("ATS132?", "\xff\x36"), "failed 0 ATS132?"}, // "\xff6", no dash
        {FAMILY_QX, Register("ATS131?", "\xff\x36-433.125000MHz"), "failed 0 ATS131?"},
        {FAMILY_QX, Register("ATS191?", "1x-none"), "failed 0 ATS191?"},
        {FAMILY_ORV, Register("ATS186?", "\xff"), "failed 0 ATS186?"},
        {FAMILY_ORV, Register("ATS128?", ""), "failed 0 ATS128?"}, // its digit lost
        {FAMILY_QX, Register("ATS108?", "2\x81"), "failed 0 ATS108?"},
        {FAMILY_QX, Register("ATS102?", "-7"), "failed 0 ATS102?"},
        {FAMILY_ORV, Register("ATS105?", "2\xa5\x33"), "failed 0 ATS105?"}, // "2\xa53"
        {FAMILY_QX, Listing({line.substr(0, 51) + "\xff\x00\xa5\xff" + line.substr(51)}),
         "failed 0 ATP0?"},
        {FAMILY_ORV, Listing({line + "\x7f"}), "failed 0 ATP0?"},
        {FAMILY_QX, "ATS105?\r\n\r\nERROR\r\n", "failed 1 ATS105?"},
        {FAMILY_ORV, "\r\nERROR\r\n", "failed 1 ATS128?"},
        {FAMILY_ORV, "ATP0?\r\n\r\nERROR\r\n", "failed 1 ATP0?"},
    };
    for (const auto& [family, reply, failure] : cases) {
        SCOPED_TRACE(reply);
        RecordingHost host;
        RadioSettings settings;
        CRadioExchange exchange(host, settings);
        exchange.SetFamily(static_cast<RadioFamily>(family));
        const std::string command = failure.substr(9);
        Feed(exchange, kStart + RepliesBefore(family, command));
        ASSERT_EQ(host.commands.back(), command + "\r");
        const RadioSettings before = settings;
        const std::size_t sent = host.commands.size();

        Feed(exchange, reply);
        EXPECT_EQ(host.log.back(), failure);
        EXPECT_EQ(host.Count("failed"), 1);
        EXPECT_EQ(host.Count("finished"), 0);
        EXPECT_EQ(host.commands.size(), sent) << "nothing sent after the failure";
        EXPECT_EQ(host.watchdog.back(), 0);
        EXPECT_FALSE(exchange.AwaitingAnswer());
        EXPECT_FALSE(exchange.Reading());
        EXPECT_EQ(exchange.Buffer().count, 0);
        EXPECT_TRUE(settings == before) << "nothing of the reply is taken";

        Feed(exchange, kStart); // a new read may follow
        EXPECT_EQ(host.commands.back(), "ATS128?\r");
        EXPECT_TRUE(exchange.Reading());
    }
}

TEST_F(ReadFailures, StartAnswersInARunningReadRestartItTwiceThenEndIt) {
    exchange.SetFamily(FAMILY_QX);
    // Two restarts, the second one later in the read; then the read goes through.
    Feed(exchange, kStart + RepliesBefore(FAMILY_QX, "ATS186?") + kStart);
    Feed(exchange, RepliesBefore(FAMILY_QX, "ATS131?") + kStart);
    EXPECT_EQ(host.Count("started"), 3);
    EXPECT_EQ(host.commands.back(), "ATS128?\r");
    Feed(exchange, RepliesBefore(FAMILY_QX, "ATP0?") + Listing({}));
    EXPECT_EQ(host.log.back(), "finished 0");

    // A finished read is not under way: a radio restarting on ATS186? every time is given up
    // on at its third restart.
    host.log.clear();
    const std::string loop = kStart + RepliesBefore(FAMILY_QX, "ATS186?");
    Feed(exchange, loop + loop + loop);
    EXPECT_EQ(host.Count("failed"), 0);
    Feed(exchange, kStart);
    EXPECT_EQ(host.Count("started"), 3);
    EXPECT_EQ(host.log.back(), "failed 2 ATS186?");
    EXPECT_FALSE(exchange.AwaitingAnswer());
    EXPECT_EQ(host.watchdog.back(), 0);

    // Abandoning a read forgets its restarts.
    Feed(exchange, loop + kStart + kStart);
    exchange.Abandon();
    Feed(exchange, kStart + kStart + kStart);
    EXPECT_EQ(host.Count("failed"), 1);
    EXPECT_TRUE(exchange.Reading());
}

TEST_F(ReadSequence, OrvReadsNineRegistersAndTheListing) {
    // Each value is one character longer than its rule takes, so that every step's rule shows.
    const Answers answers = {{"ATS128?", "71"}, {"ATS186?", "42"}, {"ATS127?", "23"},
                             {"ATS103?", "54"}, {"ATS141?", "35"}, {"ATS101?", "86"},
                             {"ATS226?", "67"}, {"ATS190?", "18"}, {"ATS105?", "123"}};
    RadioSettings expected;
    expected.orv = {7, 4, 2, 5, 3, 8, 6, 1, "123"};
    // A row of an earlier radio that this listing does not name is not kept.
    settings.channels[5] = {"5", "440.000000", "25   KHz", "Rx"};
    Read(FAMILY_ORV, answers, 12000,
         {{"0", "410.000000", "25   KHz", "Rx&Tx"},
          {"1", "433.125000", "12.5 KHz", "Rx"},
          {"2", "479.993750", "6.25 KHz", "Tx"},
          {"17", "450.500000", "25   KHz", "Tx&Rx"}},
         expected);
}

TEST_F(ReadSequence, QxReadsSixteenRegistersAndAFullListing) {
    // Values that only their own rule reads this way (the dash rule: 3 digits, or no dash: 0).
    const Answers answers = {{"ATS128?", "9"},   {"ATS186?", "21"},
                             {"ATS101?", "12"},  {"ATS127?", "34"},
                             {"ATS103?", "45"},  {"ATS141?", "16"},
                             {"ATS125?", "27"},  {"ATS131?", "123-440.000000"},
                             {"ATS132?", "45"},  {"ATS191?", "678-433.125000"},
                             {"ATS192?", "9"},   {"ATS105?", "200"},
                             {"ATS108?", "275"}, {"ATS158?", "18"},
                             {"ATS102?", "345"}, {"ATS110?", "123"}};
    RadioSettings expected;
    expected.qx = {2, 1, 3, 4, 1, 2, 123, 0, 678, 0, 200, 27, 1, 345, 123}; // S128 is not kept
    // All 64 channels, the longest listing; row 63 is its own line.
    std::vector<ChannelEntry> rows;
    for (int n = 0; n < 64; ++n) {
        rows.push_back(
            {std::to_string(n), std::to_string(410 + n) + ".125000", "12.5 KHz", "Rx&Tx"});
    }
    Read(FAMILY_QX, answers, 2000, rows, expected);
}

TEST_F(Recognition, OnlyWholeRepliesAreTaken) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, "x" + kStart);
    EXPECT_EQ(host.Count("started"), 0) << "the start answer must be the whole text";
    exchange.Abandon();
    Feed(exchange, kStart);
    Feed(exchange, Register("ATS128?", "1"));
    ASSERT_EQ(host.commands.size(), 2u);
    // The echo must open the text.
    const std::string misplaced = "\n" + Register("ATS186?", "2");
    Feed(exchange, misplaced);
    EXPECT_EQ(exchange.Buffer().text, misplaced);
    EXPECT_EQ(host.commands.back(), "ATS186?\r");
    exchange.Abandon();
    EXPECT_EQ(settings.orv.s186, 0);

    settings.orv.s105 = "old";
    Feed(exchange, Register("ATS105?", ""));
    EXPECT_EQ(settings.orv.s105, "") << "an empty value is taken as empty";

    EXPECT_EQ(CRadioExchange::ValueLength("ATS105?\r\n123\r\n", 9), 3);
    EXPECT_EQ(CRadioExchange::ValueLength("ATS105?\r\n123", 9), 3);
    EXPECT_EQ(CRadioExchange::ValueLength("short", 5), 0);
}

TEST_F(Watchdog, ArmedOncePerByteWhileACommandIsOutstandingAndExpiresOnce) {
    Feed(exchange, "noise");
    exchange.OnWatchdogExpired();
    EXPECT_TRUE(host.watchdog.empty()) << "nothing outstanding";
    EXPECT_EQ(host.noAnswers, 0);
    exchange.SendCommand("+++");
    EXPECT_EQ(host.watchdog, std::vector<int>{kNoAnswer});
    exchange.OnWatchdogExpired();
    exchange.OnWatchdogExpired(); // forgotten after the first report
    EXPECT_EQ(host.noAnswers, 1);

    exchange.SendCommand("+++");
    exchange.Abandon();
    EXPECT_EQ(host.watchdog.back(), 0);
    EXPECT_EQ(exchange.Buffer().count, 0);
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 1);

    // From the byte that completes the start answer on; that byte also sends a command and the
    // reply's last byte another: still one arming for each.
    host.watchdog.clear();
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, kStart + Register("ATS128?", "1"));
    EXPECT_EQ(host.watchdog, std::vector<int>(1 + Register("ATS128?", "1").size(), kNoAnswer));
}

TEST_F(Overflow, ReplyOutgrowingTheBufferIsRejectedWholeAndTheNextIsTaken) {
    exchange.SetFamily(FAMILY_QX);
    Feed(exchange, kStart);
    const std::string listing =
        Listing(std::vector<std::string>(80, ChannelLine({"7", "420.000000", "25   KHz", "Rx"})));
    const auto capacity = static_cast<std::size_t>(ReplyBuffer::kCapacity);
    ASSERT_GT(listing.size(), capacity);
    Feed(exchange, listing.substr(0, capacity));
    EXPECT_EQ(host.rejected, 0);
    EXPECT_EQ(exchange.Buffer().count, ReplyBuffer::kCapacity);

    Feed(exchange, listing.substr(capacity, 1)); // the byte that does not fit is dropped too
    EXPECT_EQ(host.rejected, 1);
    EXPECT_EQ(exchange.Buffer().count, 0);
    EXPECT_TRUE(settings == RadioSettings{}) << "nothing of it is parsed";
    EXPECT_TRUE(exchange.AwaitingAnswer());

    Feed(exchange, kStart);
    EXPECT_EQ(host.Count("started"), 2);
}

ChannelEntry Row(int n, const std::string& frequency = "") {
    return {std::to_string(n), frequency.empty() ? std::to_string(410 + n) + ".000000" : frequency,
            "25   KHz", "Rx&Tx"};
}

std::string Line(int n, const std::string& frequency = "") {
    return ChannelLine(Row(n, frequency));
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

    // What, family, listing, and the rows it fills.
    const std::tuple<const char*, RadioFamily, std::string,
                     std::vector<std::pair<int, ChannelEntry>>>
        cases[] = {
            {"columns; numbers outside the table",
             FAMILY_QX,
             Listing({Line(70), ChannelLine({"-1", "440.000000", "25   KHz", "Rx"}),
                      ChannelLine({"5", "433.125000", "6.25 KHz", "Rx"}), Line(12)}),
             {{5, {"5", "433.125000", "6.25 KHz", "Rx"}}, {12, Row(12)}}},
            {"marker missing",
             FAMILY_QX,
             "ATP0?\r\n----------\r\n" + Line(3) + "\r\n\r\nOK\r\n",
             {}},
            {"lines without a channel number", // never taken as channel 0
             FAMILY_QX,
             Listing({"NOBLANK", "", Line(5), "x" + Line(2), " " + Line(9), "12"}),
             {{5, Row(5)}}},
            {"empty line before OK", FAMILY_QX, Listing({Line(9), ""}), {{9, Row(9)}}},
            {"last line without its own line end",
             FAMILY_QX,
             kListingHead + Line(1) + "\r\n" + Line(7) + "\r\nOK\r\n",
             {{1, Row(1)}}},
            {"ORV row 63 repeats the line two before",
             FAMILY_ORV,
             Listing({Line(9), Line(10), Line(63)}),
             {{9, Row(9)}, {10, Row(10)}, {63, repeated}}},
            {"ORV row 63 on line 1", FAMILY_ORV, Listing({Line(63)}), {{63, Row(63)}}},
            {"ORV row 63 on line 2",
             FAMILY_ORV,
             Listing({Line(5), Line(63, "477.000000")}),
             {{5, Row(5)}, {63, Row(63, "477.000000")}}},
            {"QX row 63",
             FAMILY_QX,
             Listing({Line(9), Line(10), Line(63)}),
             {{9, Row(9)}, {10, Row(10)}, {63, Row(63)}}},
            {"lines beyond the 64th", FAMILY_QX, Listing(overlong), allRows},
        };
    for (const auto& [what, family, listing, rows] : cases) {
        SCOPED_TRACE(what);
        RecordingHost host;
        RadioSettings settings;
        for (const std::size_t n : {0, 2, 9, 63}) {
            settings.channels[n] = Row(static_cast<int>(n), "455.000000");
        }
        RadioSettings expected = settings;
        for (const auto& [n, row] : rows) {
            expected.channels[static_cast<std::size_t>(n)] = row;
        }
        CRadioExchange exchange(host, settings);
        exchange.SetFamily(family);
        EXPECT_TRUE(
            exchange.ParseChannelListing(reinterpret_cast<const unsigned char*>(listing.data()),
                                         static_cast<int>(listing.size())));
        for (std::size_t n = 0; n < settings.channels.size(); ++n) {
            EXPECT_EQ(settings.channels[n], expected.channels[n]) << "row " << n;
        }
        EXPECT_TRUE(settings == expected);
    }
}

} // namespace
