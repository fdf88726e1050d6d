// Reply recognition and the four value rules.

#include "RadioReplies.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

using namespace replies;

namespace {

class Recognition : public ::testing::Test {
protected:
    RecordingHost host;
    RadioSettings settings;
    CRadioExchange exchange{host, settings};

    // Starts a read and feeds one reply; returns the commands sent for that reply.
    std::vector<std::string> Reply(int family, const std::string& reply) {
        exchange.SetFamily(family);
        Feed(exchange, kStart);
        const std::size_t before = host.commands.size();
        Feed(exchange, reply);
        return {host.commands.begin() + static_cast<long>(before), host.commands.end()};
    }
};

TEST_F(Recognition, StartAnswerOnlyWhenItIsTheWholeText) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, "x" + kStart);
    EXPECT_TRUE(host.readsStarted.empty());
    EXPECT_TRUE(host.commands.empty());
    EXPECT_EQ(exchange.Buffer().text, "x" + kStart);
}

TEST_F(Recognition, ReplyIsTakenOnTheByteThatCompletesOk) {
    exchange.SetFamily(FAMILY_ORV);
    Feed(exchange, kStart);
    const std::string reply = Register("ATS128?", "1");
    Feed(exchange, reply.substr(0, reply.size() - 1));
    EXPECT_EQ(host.commands.size(), 1u);
    Feed(exchange, reply.substr(reply.size() - 1));
    EXPECT_EQ(host.commands.back(), "ATS186?\r");
    EXPECT_EQ(exchange.Buffer().count, 0);
    EXPECT_TRUE(exchange.Buffer().text.empty());
}

TEST_F(Recognition, EchoMustOpenTheText) {
    EXPECT_TRUE(Reply(FAMILY_ORV, "\n" + Register("ATS128?", "1")).empty());
    EXPECT_EQ(settings.orv.s128, 0);
}

TEST_F(Recognition, ErrorReplyStaysInTheBufferAndTheReadWaits) {
    EXPECT_TRUE(Reply(FAMILY_QX, "ATS128?\r\nERROR\r\n").empty());
    EXPECT_EQ(exchange.Buffer().text, "ATS128?\r\nERROR\r\n");
}

TEST_F(Recognition, FamilyChoosesTheTable) {
    EXPECT_EQ(Reply(FAMILY_ORV, Register("ATS101?", "1")), std::vector<std::string>{"ATS226?\r"});
    EXPECT_EQ(Reply(FAMILY_QX, Register("ATS101?", "1")), std::vector<std::string>{"ATS127?\r"});
}

TEST_F(Recognition, OneDigitTakesOnlyTheFirstCharacter) {
    Reply(FAMILY_ORV, Register("ATS128?", "12"));
    EXPECT_EQ(settings.orv.s128, 1);
    Reply(FAMILY_QX, Register("ATS186?", "x"));
    EXPECT_EQ(settings.qx.s186, 0);
}

TEST_F(Recognition, TwoDigits) {
    Reply(FAMILY_QX, Register("ATS108?", "273"));
    EXPECT_EQ(settings.qx.s108, 27);
    Reply(FAMILY_QX, Register("ATS108?", "5"));
    EXPECT_EQ(settings.qx.s108, 5);
}

TEST_F(Recognition, UpToTheLineEnd) {
    settings.orv.s105 = "old";
    Reply(FAMILY_ORV, Register("ATS105?", "254"));
    EXPECT_EQ(settings.orv.s105, "254");
    Reply(FAMILY_ORV, Register("ATS105?", ""));
    EXPECT_EQ(settings.orv.s105, "");
    Reply(FAMILY_QX, Register("ATS102?", "115200"));
    EXPECT_EQ(settings.qx.s102, 115200);
}

TEST_F(Recognition, BeforeTheFirstDash) {
    Reply(FAMILY_QX, Register("ATS131?", "15-433.125000"));
    EXPECT_EQ(settings.qx.s131, 15);
    Reply(FAMILY_QX, Register("ATS132?", "15")); // no "-" anywhere: empty value
    EXPECT_EQ(settings.qx.s132, 0);
    Reply(FAMILY_QX, "ATS191?\r\n6\r\nrange 0-63\r\nOK\r\n"); // any "-" in the text counts
    EXPECT_EQ(settings.qx.s191, 6);
}

TEST_F(Recognition, ValueMissingFromAShortReplyIsZero) {
    settings.qx.s108 = 99;
    Reply(FAMILY_QX, "ATS108?OK\r\n");
    EXPECT_EQ(settings.qx.s108, 0);
    settings.orv.s105 = "old";
    Reply(FAMILY_ORV, "ATS105?OK\r\n");
    EXPECT_EQ(settings.orv.s105, "");
}

TEST(ValueLength, CountsUpToTheCarriageReturnOrTheEnd) {
    EXPECT_EQ(CRadioExchange::ValueLength("ATS105?\r\n123\r\n", 9), 3);
    EXPECT_EQ(CRadioExchange::ValueLength("ATS105?\r\n123", 9), 3);
    EXPECT_EQ(CRadioExchange::ValueLength("ATS105?\r\n\r\n", 9), 0);
    EXPECT_EQ(CRadioExchange::ValueLength("short", 9), 0);
    EXPECT_EQ(CRadioExchange::ValueLength("short", 5), 0);
}

} // namespace
