// The overall bound on one command's answer: long enough for the longest healthy answer at any
// rate the radios use, and never scaled below the time the bytes take on the wire.

#include "exchange/AnswerBounds.h"
#include "exchange/RadioExchange.h"
#include "exchange/RateTables.h"
#include "exchange/ReplyBuffer.h"

#include <gtest/gtest.h>

namespace {

// Milliseconds that bytes take at baud, 8N1.
double WireMs(int bytes, int baud) {
    return bytes * 10.0 * 1000.0 / baud;
}

TEST(AnswerBoundsTest, AHealthyAnswerAlwaysFitsInItsBound) {
    struct Case {
        const char* command;
        int holdMs;
        int answerBytes; // the longest answer the read takes in
    };
    const Case cases[] = {
        {"ATP0?\r", CRadioExchange::kOrvListingHoldMs, ReplyBuffer::kCapacity},
        {"ATP0?\r", CRadioExchange::kQxListingHoldMs, ReplyBuffer::kCapacity},
        {"ATS105?\r", 0, 64},
        {"+++", 5000, 18},
        {"ats105=5\r", 0, 64},
    };
    for (const Case& c : cases) {
        for (const int baud : RateTables::kSoftDiagRates) {
            SCOPED_TRACE(std::string(c.command) + " at " + std::to_string(baud));
            const double healthy =
                WireMs(c.answerBytes, baud) + c.holdMs + CRadioExchange::kNoAnswerMs;
            EXPECT_GE(AnswerBounds::AnswerBoundMs(c.command, baud, c.holdMs), healthy);
            // Scaled waits never cut into the time the bytes need on the wire.
            EXPECT_GE(AnswerBounds::AnswerBoundMs(c.command, baud, c.holdMs, 0.02),
                      WireMs(c.answerBytes, baud));
        }
    }
}

TEST(AnswerBoundsTest, ARegisterReadIsNotGivenTheListingsTime) {
    // A radio that dribbles garbage after "ATS128?" is given up on long before a listing's
    // time at the same rate would run out.
    const int reg = AnswerBounds::AnswerBoundMs("ATS128?\r", 4800, 0);
    const int listing = AnswerBounds::AnswerBoundMs("ATP0?\r", 4800, 0);
    EXPECT_LT(reg, CRadioExchange::kNoAnswerMs + 1000);
    EXPECT_GT(listing - reg, 8000); // 4 KB at 4800 baud take 8.5 s
}

} // namespace
