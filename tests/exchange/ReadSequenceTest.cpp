// Both read sequences, fed byte by byte from the start answer to the end of the read.

#include "RadioReplies.h"
#include "RecordingHost.h"
#include "SettingsPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace replies;

namespace {

struct Answer {
    std::string echo;
    std::string value;
};

class ReadSequence : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};

    // Answers each command with its reply, checking that it is the command just sent.
    void Answer(const std::vector<struct Answer>& answers) {
        for (const auto& a : answers) {
            ASSERT_FALSE(host.commands.empty());
            ASSERT_EQ(host.commands.back(), a.echo + "\r");
            Feed(exchange, Register(a.echo, a.value));
        }
    }

    // Everything a read must change is set in expected; all else must stay as it was.
    void ExpectSettings(const RadioSettings& expected) {
        EXPECT_EQ(settings.orv, expected.orv);
        EXPECT_EQ(settings.qx, expected.qx);
        for (std::size_t n = 0; n < settings.channels.size(); ++n) {
            EXPECT_EQ(settings.channels[n], expected.channels[n]) << "channel row " << n;
        }
        EXPECT_TRUE(settings == expected);
    }
};

std::vector<std::string> Commands(const std::vector<struct Answer>& answers) {
    std::vector<std::string> commands;
    for (const auto& a : answers) {
        commands.push_back(a.echo + "\r");
    }
    commands.push_back("ATP0?\r");
    return commands;
}

TEST_F(ReadSequence, OrvReadsTenStepsAndTheListing) {
    exchange.SetFamily(FAMILY_ORV);
    const std::vector<struct Answer> answers = {
        // Values one character longer than their rule takes, so that each step's rule shows.
        {"ATS128?", "71"}, {"ATS186?", "42"}, {"ATS127?", "23"},
        {"ATS103?", "54"}, {"ATS141?", "35"}, {"ATS101?", "86"},
        {"ATS226?", "67"}, {"ATS190?", "18"}, {"ATS105?", "123"}};

    Feed(exchange, kStart);
    EXPECT_EQ(host.readsStarted, std::vector<int>{FAMILY_ORV});
    Answer(answers);
    ASSERT_EQ(host.commands.back(), "ATP0?\r");
    EXPECT_EQ(host.holds, std::vector<int>{12000});
    EXPECT_TRUE(host.readsFinished.empty());
    Feed(exchange, Listing({ChannelLine("0", "410.000000", "25   KHz", "Rx&Tx"),
                            ChannelLine("1", "433.125000", "12.5 KHz", "Rx"),
                            ChannelLine("2", "479.993750", "6.25 KHz", "Tx"),
                            ChannelLine("17", "450.500000", "25   KHz", "Tx&Rx")}));

    EXPECT_EQ(host.commands, Commands(answers));
    EXPECT_EQ(host.readsFinished, std::vector<int>{FAMILY_ORV});
    EXPECT_EQ(host.rejected, 0);
    EXPECT_EQ(exchange.Buffer().count, 0);

    RadioSettings expected;
    expected.orv = {7, 4, 2, 5, 3, 8, 6, 1, "123"};
    expected.channels[0] = {"0", "410.000000", "25   KHz", "Rx&Tx"};
    expected.channels[1] = {"1", "433.125000", "12.5 KHz", "Rx"};
    expected.channels[2] = {"2", "479.993750", "6.25 KHz", "Tx"};
    expected.channels[17] = {"17", "450.500000", "25   KHz", "Tx&Rx"};
    ExpectSettings(expected);
}

TEST_F(ReadSequence, QxReadsSeventeenStepsAndAFullListing) {
    exchange.SetFamily(FAMILY_QX);
    const std::vector<struct Answer> answers = {{"ATS128?", "9"}, // asked, not kept
                                                {"ATS186?", "21"},
                                                {"ATS101?", "12"},
                                                {"ATS127?", "34"},
                                                {"ATS103?", "45"},
                                                {"ATS141?", "16"},
                                                {"ATS125?", "27"},
                                                {"ATS131?", "12-440.000000"},
                                                {"ATS132?", "7-433.125000"},
                                                {"ATS191?", "9"}, // no "-": 0
                                                {"ATS192?", "63-479.000000"},
                                                {"ATS105?", "200"},
                                                {"ATS108?", "275"},
                                                {"ATS158?", "18"},
                                                {"ATS102?", "345"},
                                                {"ATS110?", "123"}};

    // All 64 channels: the longest listing must fit the reply buffer.
    std::vector<std::string> lines;
    RadioSettings expected;
    for (int n = 0; n < 64; ++n) {
        const std::string number = std::to_string(n);
        const std::string frequency = std::to_string(410 + n) + ".125000";
        lines.push_back(ChannelLine(number, frequency, "12.5 KHz", "Rx&Tx"));
        expected.channels[static_cast<std::size_t>(n)] = {number, frequency, "12.5 KHz", "Rx&Tx"};
    }

    Feed(exchange, kStart);
    EXPECT_EQ(host.readsStarted, std::vector<int>{FAMILY_QX});
    Answer(answers);
    ASSERT_EQ(host.commands.back(), "ATP0?\r");
    EXPECT_EQ(host.holds, std::vector<int>{2000});
    const std::string listing = Listing(lines);
    ASSERT_LE(listing.size(), static_cast<std::size_t>(ReplyBuffer::kCapacity));
    Feed(exchange, listing);

    EXPECT_EQ(host.commands, Commands(answers));
    EXPECT_EQ(host.readsFinished, std::vector<int>{FAMILY_QX});
    EXPECT_EQ(host.rejected, 0);

    expected.qx = {2, 1, 3, 4, 1, 2, 12, 7, 0, 63, 200, 27, 1, 345, 123};
    ExpectSettings(expected); // QX row 63 from its own line; orv.s128 untouched by QX S128
}

TEST_F(ReadSequence, HoldFollowsTheListingCommandAndStartPrecedesTheFirstCommand) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, kStart);
    ASSERT_GE(host.log.size(), 2u);
    EXPECT_EQ(host.log[0], "started 1");
    EXPECT_EQ(host.log[1], "send ATS128?\r");

    settings.orvWriting = 1; // a running write does not hide read replies
    exchange.SetFamily(FAMILY_ORV);
    host.log.clear();
    Feed(exchange, Register("ATS105?", "17"));
    const std::vector<std::string> tail = {"send ATP0?\r", "hold 12000", "watchdog 22000"};
    ASSERT_GE(host.log.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), host.log.end() - 3));
    EXPECT_EQ(settings.orv.s105, "17");
}

TEST_F(ReadSequence, SecondStartAnswerStartsTheReadAgain) {
    exchange.SetFamily(FAMILY_QX);
    Feed(exchange, kStart);
    Answer({{"ATS128?", "0"}, {"ATS186?", "1"}});
    Feed(exchange, kStart);
    EXPECT_EQ(host.readsStarted, (std::vector<int>{FAMILY_QX, FAMILY_QX}));
    EXPECT_EQ(host.commands.back(), "ATS128?\r");
}

} // namespace
