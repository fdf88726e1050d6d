// The no-answer watchdog.

#include "RadioReplies.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

using namespace replies;

namespace {

constexpr int kNoAnswer = CRadioExchange::kNoAnswerMs;

class Watchdog : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};
};

TEST_F(Watchdog, SendingArmsIt) {
    exchange.SendCommand("+++");
    EXPECT_EQ(host.commands, std::vector<std::string>{"+++"});
    EXPECT_EQ(host.watchdog, std::vector<int>{kNoAnswer});
    EXPECT_TRUE(exchange.AwaitingAnswer());
}

TEST_F(Watchdog, EveryByteRearmsItOnceWhileACommandIsOutstanding) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, "noise"); // nothing outstanding: no watchdog
    EXPECT_TRUE(host.watchdog.empty());

    exchange.Abandon();
    host.watchdog.clear();
    Feed(exchange, kStart); // the last byte also sends "ATS128?\r": still one arming
    const std::string reply = Register("ATS128?", "1");
    Feed(exchange, reply);
    EXPECT_EQ(host.watchdog.size(), 1 + reply.size());
    for (const int period : host.watchdog) {
        EXPECT_EQ(period, kNoAnswer);
    }
}

TEST_F(Watchdog, ListingCommandIsWatchedForTheHoldToo) {
    for (const int family : {FAMILY_ORV, FAMILY_QX}) {
        SCOPED_TRACE(family);
        exchange.SetFamily(family);
        exchange.SendCommand("x");
        host.watchdog.clear();
        const std::string reply =
            family == FAMILY_ORV ? Register("ATS105?", "1") : Register("ATS110?", "1");
        Feed(exchange, reply);
        const int hold = family == FAMILY_ORV ? 12000 : 2000;
        ASSERT_EQ(host.watchdog.size(), reply.size());
        EXPECT_EQ(host.watchdog.back(), kNoAnswer + hold);
        EXPECT_EQ(host.holds.back(), hold);
    }
}

TEST_F(Watchdog, EndOfReadStopsIt) {
    exchange.SetFamily(FAMILY_QX);
    exchange.SendCommand("ATP0?\r");
    Feed(exchange, Listing({}));
    EXPECT_EQ(host.readsFinished, std::vector<int>{FAMILY_QX});
    EXPECT_EQ(host.watchdog.back(), 0);
    EXPECT_FALSE(exchange.AwaitingAnswer());

    const std::size_t periods = host.watchdog.size();
    Feed(exchange, "late bytes");
    EXPECT_EQ(host.watchdog.size(), periods);
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 0);
}

TEST_F(Watchdog, ExpiryReportsNoAnswerOnlyForAnOutstandingCommand) {
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 0);

    exchange.SendCommand("ATS128?\r");
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 1);
    exchange.OnWatchdogExpired(); // forgotten after the first report
    EXPECT_EQ(host.noAnswers, 1);
}

TEST_F(Watchdog, AbandonStopsItAndEmptiesTheBuffer) {
    exchange.SendCommand("ATS128?\r");
    Feed(exchange, "ATS1");
    exchange.Abandon();
    EXPECT_EQ(host.watchdog.back(), 0);
    EXPECT_EQ(exchange.Buffer().count, 0);
    EXPECT_TRUE(exchange.Buffer().text.empty());
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 0);
}

} // namespace
