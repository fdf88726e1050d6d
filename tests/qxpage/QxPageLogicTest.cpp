// The QX page's frequency check and Set preparation.

#include "qxpage/QxPageLogic.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Defined with the table file tests.
void PrintTo(const ChannelEntry& e, std::ostream* os);

namespace {

using FrequencyText::FrequencyFault;
using QxPageLogic::QxSetInput;

TEST(QxValidateFrequency, FiftyHertzSteps) {
    struct Case {
        std::string text;
        FrequencyFault fault;
        std::optional<std::string> normalised;
    };
    const std::vector<Case> cases = {
        {"433", FrequencyFault::None, "433.000000"},
        {"433.12500", FrequencyFault::None, "433.125000"},
        {"433.125000", FrequencyFault::None, std::nullopt},
        {"433.12505", FrequencyFault::None, "433.125050"},
        {"", FrequencyFault::None, std::nullopt},
        {"433.1250000", FrequencyFault::Form, std::nullopt},
        {"500", FrequencyFault::Range, std::nullopt},
        {"abc", FrequencyFault::Range, std::nullopt},
        {"433.00001", FrequencyFault::Step, std::nullopt},
        {"433.000025", FrequencyFault::Step, std::nullopt},
        {"433.125abc", FrequencyFault::Form, std::nullopt},
        {" 433.125", FrequencyFault::Form, std::nullopt},
        {"4.33125e2", FrequencyFault::Form, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto verdict = QxPageLogic::ValidateFrequency(c.text);
        EXPECT_EQ(verdict.fault, c.fault);
        EXPECT_EQ(verdict.normalised, c.normalised);
    }
}

QxSetInput ValidPage() {
    QxSetInput input;
    input.values = QxPageLogic::QxPageValues{0, 0, 0, 5, 2, 1, 1, 2, 3, 12, 13, 1, 7, 0};
    input.s141 = 0;
    return input;
}

TEST(QxSet, AllRowsArePrepared) {
    QxSetInput input = ValidPage();
    input.rows[5] = {"", "433.125000", "25   KHz", "Rx&Tx"};
    input.rows[6] = {"", "433.125050", "6.25 KHz", "Tx&Rx"};
    input.rows[7] = {"", "433.125000", "12.5 KHz", ""};
    input.rows[8] = {"", "0.", "12.5 KHz", "Rx"};
    input.rows[9] = {"", "", "25   KHz", "Rx&Tx"};
    input.rows[10] = {"", "450", "12.5 KHz", "Tx"};
    const auto prepared = QxPageLogic::PrepareSet(input);
    ASSERT_TRUE(prepared.Writable()) << prepared.problems.front().field;
    const auto& program = prepared.plan.program;
    EXPECT_EQ(program[5], (ChannelEntry{"5", "433125000", "2", "2"}));
    EXPECT_EQ(program[6], (ChannelEntry{"6", "433125050", "0", "2"}));
    EXPECT_EQ(program[7], (ChannelEntry{"7", "0", "0", "0"}));
    EXPECT_EQ(program[8], (ChannelEntry{"8", "0", "0", "0"}));
    EXPECT_EQ(program[9], (ChannelEntry{"9", "0", "0", "0"}));
    EXPECT_EQ(program[10], (ChannelEntry{"10", "450000000", "1", "1"}));
    EXPECT_EQ(program[63], (ChannelEntry{"63", "0", "0", "0"}));
    EXPECT_TRUE(CheckWritePlan(prepared.plan).empty());
}

TEST(QxSet, ThePlanCarriesTheValuesAndTheReadS141) {
    QxSetInput input = ValidPage();
    input.s141 = 1;
    input.values.powerIndex = 11;
    const QxWritePlan plan = QxPageLogic::PrepareSet(input).plan;
    EXPECT_EQ(plan.s141, 1);
    EXPECT_EQ(plan.powerIndex, 11);
    EXPECT_EQ(plan.repeaterRxIndex, 3);

    QxRegisters r;
    r.s108 = 33;
    r.s110 = 10;
    r.s186 = 3;
    const auto values = QxPageLogic::ValuesFromRegisters(r);
    EXPECT_EQ(values.powerIndex, 13);
    EXPECT_EQ(values.dataFormatIndex, 9);
    EXPECT_EQ(values.protocolIndex, 3);
}

TEST(QxSet, WhatTheWriteCannotSendIsRefused) {
    struct Case {
        const char* name;
        std::function<void(QxSetInput&)> change;
        std::vector<std::string> fields; // empty: accepted
    };
    const std::vector<Case> cases = {
        {"Bellmark", [](QxSetInput& i) { i.values.protocolIndex = 1; }, {}},
        {"Trimtalk repeater 2",
         [](QxSetInput& i) { i.values = {2, 3, 0, 5, 2, 1, 1, 2, 3, 12, 13, 1, 7, 0}; },
         {}},
        {"Satel 9600 12.5",
         [](QxSetInput& i) { i.values.protocolIndex = 3, i.values.bandwidthIndex = 1; },
         {}},
        {"Satel 9600 25", [](QxSetInput& i) { i.values.protocolIndex = 3; }, {"preset"}},
        {"transparent, S141 2", [](QxSetInput& i) { i.s141 = 2; }, {"preset"}},
        {"empty power item", [](QxSetInput& i) { i.values.powerIndex = 11; }, {}},
        {"no power", [](QxSetInput& i) { i.values.powerIndex = -1; }, {"qx.s108"}},
        {"power 34", [](QxSetInput& i) { i.values.powerIndex = 14; }, {"qx.s108"}},
        {"no protocol", [](QxSetInput& i) { i.values.protocolIndex = -1; }, {"preset", "qx.s186"}},
        {"no data format", [](QxSetInput& i) { i.values.dataFormatIndex = -1; }, {"qx.s110"}},
        {"port rate 300", [](QxSetInput& i) { i.values.portRateIndex = 14; }, {}},
        {"port rate 15", [](QxSetInput& i) { i.values.portRateIndex = 15; }, {"qx.s102"}},
        {"repeater channel", [](QxSetInput& i) { i.values.repeaterTxIndex = 64; }, {"qx.s191"}},
        {"address", [](QxSetInput& i) { i.values.unitAddress = -1; }, {"qx.s105"}},
        {"rows",
         [](QxSetInput& i) {
             i.rows[40] = {"", "433.00001", "25   KHz", "Rx"};
             i.rows[2] = {"", "500", "25 kHz", "RX"};
             i.rows[3] = {"", "433.1250000", "25   KHz", "Rx"};
         },
         {"channels[2].frequency", "channels[2].bandwidth", "channels[2].direction",
          "channels[3].frequency", "channels[40].frequency"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QxSetInput input = ValidPage();
        c.change(input);
        const auto prepared = QxPageLogic::PrepareSet(input);
        std::vector<std::string> fields;
        for (const SetProblem& problem : prepared.problems) {
            fields.push_back(problem.field);
            EXPECT_FALSE(problem.chinese.empty());
            EXPECT_FALSE(problem.english.empty());
        }
        EXPECT_EQ(fields, c.fields);
        if (prepared.Writable()) {
            EXPECT_TRUE(CheckWritePlan(prepared.plan).empty());
        }
    }
}

TEST(QxSet, FrequencyMessagesOfARowNameTheChannelAndTheText) {
    QxSetInput input = ValidPage();
    input.rows[0] = {"", "500", "25   KHz", "Rx"};
    const auto prepared = QxPageLogic::PrepareSet(input);
    ASSERT_EQ(prepared.problems.size(), 1u);
    EXPECT_EQ(prepared.problems[0].PageText(false),
              "输入频段范围不对，请重新输入！\n信道 0 频率：“500”");
    EXPECT_EQ(prepared.problems[0].PageText(true), "The Scope is wrong,Please write again！\n"
                                                   "Channel 0 Frequency(MHz): \"500\"");
}

// A value no list has: a list the user cannot reach writes back what the radio holds; one the
// user can reach must be chosen (the page's test goes on from there).
TEST(QxSet, ListsWithoutASelectionWriteTheValueReadOnlyWhenDisabled) {
    QxSetInput input = ValidPage();
    input.read.s101 = 7;
    input.read.s186 = 1; // Bellmark: work mode and repeater lists disabled
    input.values.protocolIndex = 1;
    input.values.workModeIndex = -1;
    input.values.repeaterTxIndex = -1;
    input.read.s191 = 9;
    input.disabledRegisters = QxPageLogic::DisabledByRule(input.read);
    EXPECT_EQ(input.disabledRegisters, (std::vector<int>{101, 191, 192}));
    auto prepared = QxPageLogic::PrepareSet(input);
    ASSERT_TRUE(prepared.Writable()) << prepared.problems.front().field;
    EXPECT_EQ(prepared.plan.workModeIndex, 7);
    EXPECT_EQ(prepared.plan.repeaterTxIndex, 9);
    EXPECT_EQ(prepared.plan.repeaterRxIndex, 3); // chosen on the page: kept
    // The same lists enabled: no selection there is the user's to fix.
    input.disabledRegisters.clear();
    EXPECT_EQ(QxPageLogic::PrepareSet(input).problems.size(), 2u);
}

} // namespace
