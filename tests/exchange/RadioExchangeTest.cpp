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
    void ReadStarted(int family) override { log.push_back("started " + std::to_string(family)); }
    void ReadFinished(int family) override { log.push_back("finished " + std::to_string(family)); }
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
        log.push_back("failed " + std::to_string(family));
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
    void Read(int family, const Answers& answers, int holdMs, const std::vector<ChannelEntry>& rows,
              RadioSettings expected) {
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

TEST_F(ReadSequence, OrvReadsNineRegistersAndTheListing) {
    // Each value is one character longer than its rule takes, so that every step's rule shows.
    const Answers answers = {{"ATS128?", "71"}, {"ATS186?", "42"}, {"ATS127?", "23"},
                             {"ATS103?", "54"}, {"ATS141?", "35"}, {"ATS101?", "86"},
                             {"ATS226?", "67"}, {"ATS190?", "18"}, {"ATS105?", "123"}};
    RadioSettings expected;
    expected.orv = {7, 4, 2, 5, 3, 8, 6, 1, "123"};
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
    // The echo must open the text; an ERROR reply is not taken and the read waits.
    for (const std::string& text :
         {"\n" + Register("ATS186?", "2"), std::string("ATS186?\r\nERROR\r\n")}) {
        Feed(exchange, text);
        EXPECT_EQ(exchange.Buffer().text, text);
        EXPECT_EQ(host.commands.back(), "ATS186?\r");
        exchange.Abandon();
    }
    EXPECT_EQ(settings.orv.s186, 0);

    settings.orv.s105 = "old";
    Feed(exchange, Register("ATS105?", ""));
    EXPECT_EQ(settings.orv.s105, "") << "an empty value is taken as empty";

    Feed(exchange, kStart);
    EXPECT_EQ(host.Count("started"), 2) << "a start answer in a read starts it again";
    EXPECT_EQ(host.commands.back(), "ATS128?\r");

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
    const ReplyBuffer& buffer = exchange.Buffer();
    EXPECT_EQ(buffer.count, 0);
    EXPECT_TRUE(std::all_of(buffer.bytes.begin(), buffer.bytes.end(), [](auto b) { return !b; }));
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
    const std::tuple<const char*, int, std::string, std::vector<std::pair<int, ChannelEntry>>>
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
            {"line without a blank", FAMILY_QX, Listing({"NOBLANK"}), {{0, ChannelEntry{}}}},
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
        exchange.ParseChannelListing(reinterpret_cast<const unsigned char*>(listing.data()),
                                     static_cast<int>(listing.size()));
        for (std::size_t n = 0; n < settings.channels.size(); ++n) {
            EXPECT_EQ(settings.channels[n], expected.channels[n]) << "row " << n;
        }
        EXPECT_TRUE(settings == expected);
    }
}

} // namespace
