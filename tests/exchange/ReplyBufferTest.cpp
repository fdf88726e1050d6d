// The reply buffer and the rejection of replies that outgrow it.

#include "RadioReplies.h"
#include "RecordingHost.h"
#include "SettingsPrinters.h"

#include <gtest/gtest.h>

using namespace replies;

namespace {

constexpr int kCapacity = ReplyBuffer::kCapacity;

TEST(ReplyBuffer, AppendStopsAtCapacityAndResetClearsAll) {
    ReplyBuffer buffer;
    for (int i = 0; i < kCapacity; ++i) {
        ASSERT_TRUE(buffer.Append('a'));
    }
    EXPECT_FALSE(buffer.Append('b'));
    EXPECT_EQ(buffer.count, kCapacity);
    EXPECT_EQ(buffer.text, std::string(kCapacity, 'a'));
    EXPECT_EQ(buffer.bytes.back(), 'a');

    buffer.Reset();
    EXPECT_EQ(buffer.count, 0);
    EXPECT_TRUE(buffer.text.empty());
    for (const unsigned char b : buffer.bytes) {
        ASSERT_EQ(b, 0);
    }
}

class Overflow : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};
};

TEST_F(Overflow, ByteThatDoesNotFitRejectsTheReplyAndTheNextReplyIsTaken) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, std::string(kCapacity, 'z'));
    EXPECT_EQ(host.rejected, 0);
    EXPECT_EQ(exchange.Buffer().count, kCapacity);

    Feed(exchange, "z");
    EXPECT_EQ(host.rejected, 1);
    EXPECT_EQ(exchange.Buffer().count, 0);
    EXPECT_TRUE(exchange.Buffer().text.empty());

    Feed(exchange, kStart);
    EXPECT_EQ(host.readsStarted, std::vector<int>{FAMILY_ORV});
    EXPECT_EQ(host.rejected, 1);
}

TEST_F(Overflow, OversizedListingIsRejectedWholeAndNothingIsParsed) {
    exchange.SetFamily(FAMILY_QX);
    Feed(exchange, kStart);
    std::vector<std::string> lines;
    for (int i = 0; i < 80; ++i) {
        lines.push_back(ChannelLine(std::to_string(i % 64), "420.000000", "25   KHz", "Rx&Tx"));
    }
    const std::string listing = Listing(lines);
    ASSERT_GT(listing.size(), 4200u);
    ASSERT_LT(listing.size(), 8000u);
    Feed(exchange, listing);

    EXPECT_EQ(host.rejected, 1);
    EXPECT_TRUE(host.readsFinished.empty());
    EXPECT_TRUE(settings == RadioSettings{});
    // The radio then falls silent: the outstanding command is reported as unanswered.
    EXPECT_TRUE(exchange.AwaitingAnswer());
    exchange.OnWatchdogExpired();
    EXPECT_EQ(host.noAnswers, 1);
}

} // namespace
