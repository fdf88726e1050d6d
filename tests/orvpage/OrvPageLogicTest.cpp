// The ORV page's frequency check, fill rules and Set preparation.

#include "orvpage/OrvPageLogic.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

// Readable failures: the four texts instead of the object's bytes.
void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << '{' << e.channel << '|' << e.frequency << '|' << e.bandwidth << '|' << e.direction
        << '}';
}

namespace {

using FrequencyText::FrequencyFault;
using OrvPageLogic::OrvSetInput;

TEST(OrvValidateFrequency, RangeStepAndForm) {
    struct Case {
        std::string text;
        FrequencyFault fault;
        std::optional<std::string> normalised;
    };
    const std::vector<Case> cases = {
        {"450", FrequencyFault::None, "450.000000"},
        {"450.", FrequencyFault::None, "450.000000"},
        {"450.5", FrequencyFault::None, "450.500000"},
        {"410.00125", FrequencyFault::None, "410.001250"},
        {"480", FrequencyFault::None, "480.000000"},
        {"433.125000", FrequencyFault::None, std::nullopt},
        {"", FrequencyFault::None, std::nullopt},
        {"0450", FrequencyFault::None, "450.000000"}, // padding would give "0450.00000"
        // Digits and one point, nothing else: what the reading would drop is refused.
        {" 450", FrequencyFault::Form, std::nullopt},
        {"433.125abc", FrequencyFault::Form, std::nullopt},
        {"4.33125e2", FrequencyFault::Form, std::nullopt},
        {"+450", FrequencyFault::Form, std::nullopt},
        {"450.0.", FrequencyFault::Form, std::nullopt},
        {"409.9", FrequencyFault::Range, std::nullopt},
        {"480.00125", FrequencyFault::Range, std::nullopt},
        {"500", FrequencyFault::Range, std::nullopt},
        {"abc", FrequencyFault::Range, std::nullopt},
        {"0.", FrequencyFault::Range, std::nullopt},
        {"nan", FrequencyFault::Range, std::nullopt},
        {"inf", FrequencyFault::Range, std::nullopt},
        {"1e999", FrequencyFault::Range, std::nullopt},
        {"450.001", FrequencyFault::Step, std::nullopt},
        {"433.12505", FrequencyFault::Step, std::nullopt}, // 50 Hz steps are the QX page's
        {"450.00000000", FrequencyFault::Form, std::nullopt},
        {"450.0000001", FrequencyFault::Form, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto verdict = OrvPageLogic::ValidateFrequency(c.text);
        EXPECT_EQ(verdict.fault, c.fault);
        EXPECT_EQ(verdict.normalised, c.normalised);
    }
}

TEST(OrvPageLogic, ListChoiceFollowsTheMarkThenTheSelection) {
    const std::vector<std::string> items = {"230400", "115200", "4800"};
    EXPECT_EQ(OrvPageLogic::ResolveListChoice("*4800", items, 1), 2);
    EXPECT_EQ(OrvPageLogic::ResolveListChoice("*9600", items, 1), 0);
    EXPECT_EQ(OrvPageLogic::ResolveListChoice("*4800", {}, 1), 0);
    EXPECT_EQ(OrvPageLogic::ResolveListChoice("4800", items, 1), 1);
    EXPECT_EQ(OrvPageLogic::ResolveListChoice("", items, -1), -1);
    EXPECT_EQ(OrvPageLogic::PortRateItem(9), 8);
    EXPECT_EQ(OrvPageLogic::PortRateItem(7), 7);
    // Code 8 has no item: it is not shown (nor written) as 4800.
    EXPECT_EQ(OrvPageLogic::PortRateItem(8), -1);
}

TEST(OrvPageLogic, ModeAndLayoutFromRegisters) {
    struct Case {
        int s186, s127, s103, s141, s101, s226, s128;
        bool unknown;
        int protocol, mode;
        std::optional<bool> repeater;
    };
    const std::vector<Case> cases = {
        {0, 0, 5, 0, 0, 0, 0, false, 3, 0, false},
        {0, 0, 5, 1, 0, 0, 0, false, 3, 1, true},
        {1, 1, 7, 0, 0, 0, 0, false, 0, 3, false},
        {2, 0, 5, 0, 0, 0, 0, false, 1, 2, true},
        {2, 0, 5, 0, 2, 0, 0, false, 1, 1, false},
        {2, 0, 5, 0, 3, 0, 0, false, 1, 4, true},
        {2, 0, 5, 0, 4, 0, 0, false, -1, -1, std::nullopt},
        {2, 0, 5, 1, 0, 0, 0, false, -1, -1, std::nullopt}, // 2051: no button, no indicator
        {3, 1, 5, 0, 0, 1, 0, false, 2, 2, false},
        {3, 1, 7, 0, 0, 2, 0, false, -1, -1, false},
        {4, 1, 7, 0, 0, 2, 0, false, 4, 3, false},
        {4, 1, 5, 0, 0, 0, 0, false, -1, -1, false},
        {1, 0, 5, 0, 0, 0, 1, true, -1, -1, std::nullopt}, // S128 set
        {5, 0, 0, 0, 0, 0, 0, true, -1, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        OrvRegisters r;
        r.s186 = c.s186;
        r.s127 = c.s127;
        r.s103 = c.s103;
        r.s141 = c.s141;
        r.s101 = c.s101;
        r.s226 = c.s226;
        r.s128 = c.s128;
        SCOPED_TRACE(c.s186 * 1000 + c.s127 * 100 + c.s103 * 10 + c.s141);
        const auto page = OrvPageLogic::ModeFromRegisters(r);
        EXPECT_EQ(page.unknownProtocol, c.unknown);
        EXPECT_EQ(page.protocol, c.protocol);
        EXPECT_EQ(page.modeIndex, c.mode);
        EXPECT_EQ(page.repeaterLayout, c.repeater);
        EXPECT_EQ(page.addressEnabled, c.s186 == 0 || c.s186 == 1 || c.s186 == 4);
        if (c.protocol >= 0) {
            EXPECT_EQ(OrvPageLogic::RepeaterLayoutOf(c.protocol, c.mode), c.repeater);
        }
    }
    EXPECT_EQ(OrvPageLogic::RepeaterLayoutOf(1, -1), std::nullopt);
    EXPECT_EQ(OrvPageLogic::RepeaterLayoutOf(3, 2), std::nullopt);
}

// A radio with every channel listed, and a page with valid choices.
OrvSetInput ListedRadio() {
    OrvSetInput input;
    for (std::size_t i = 0; i < 64; ++i) {
        input.channels[i] = {std::to_string(i), "470.000000", i % 2 ? "6.25 KHz" : "25   KHz",
                             i % 3 == 0 ? "Rx" : "Rx&Tx"};
        input.cells[i] = "470.000000";
    }
    input.protocol = 0;
    input.modeIndex = 1;
    input.address = "12";
    input.currentChannel = 3;
    input.portRateIndex = 7;
    return input;
}

TEST(OrvSet, NormalLayoutProgramsTheTransmitAndReceiveChannels) {
    OrvSetInput input = ListedRadio();
    input.cells[0] = "410.000000";
    input.cells[1] = "480";
    input.cells[2] = "not read in this layout";
    input.cells[5] = "";
    input.cells[8] = "0."; // reads as zero: deleted without a range message
    const auto prepared = OrvPageLogic::PrepareSet(input);
    ASSERT_TRUE(prepared.Writable());
    EXPECT_EQ(prepared.plan.program[0], (ChannelEntry{"0", "410000000", "2", "0"}));
    EXPECT_EQ(prepared.plan.program[1], (ChannelEntry{"1", "480000000", "0", "2"}));
    EXPECT_EQ(prepared.plan.program[2], (ChannelEntry{"4", "470000000", "2", "2"}));
    EXPECT_EQ(prepared.plan.program[3], (ChannelEntry{"5", "0", "0", "2"}));
    EXPECT_EQ(prepared.plan.program[4].frequency, "0");
    EXPECT_EQ(prepared.plan.program[31].channel, "61");
    // Rows the layout does not edit keep the listed frequency in the working table.
    EXPECT_EQ(prepared.working[2], (ChannelEntry{"2", "470.000000", "2", "2"}));
}

TEST(OrvSet, RepeaterLayoutProgramsTheRepeaterPair) {
    OrvSetInput input = ListedRadio();
    input.repeaterLayout = true;
    input.protocol = 1;
    input.modeIndex = 2;
    input.cells[0] = "500"; // column 1 is not read in this layout
    input.cells[2] = "433.75";
    // Slot 16 receives its repeater traffic on channel 61: row 63 is written as row 61 shows.
    input.cells[61] = "479.99875";
    input.cells[63] = "500";
    const auto prepared = OrvPageLogic::PrepareSet(input);
    ASSERT_TRUE(prepared.Writable());
    EXPECT_EQ(prepared.plan.program[0], (ChannelEntry{"2", "433750000", "2", "2"}));
    EXPECT_EQ(prepared.plan.program[1].channel, "3");
    EXPECT_EQ(prepared.plan.program[31], (ChannelEntry{"63", "479998750", "0", "0"}));
    EXPECT_TRUE(OrvPageLogic::IsMirroredRow(63, true));
    EXPECT_FALSE(OrvPageLogic::IsMirroredRow(63, false) || OrvPageLogic::IsMirroredRow(62, true));
}

TEST(OrvSet, EveryBadCellIsReportedInListOrderAndNothingIsWritable) {
    OrvSetInput input = ListedRadio();
    input.cells[9] = "450.001";
    input.cells[1] = "500";
    input.cells[4] = "abc";
    input.cells[60] = "450.00000000";
    input.cells[13] = "433.125abc";
    const auto prepared = OrvPageLogic::PrepareSet(input);
    ASSERT_EQ(prepared.problems.size(), 5u);
    EXPECT_EQ(prepared.problems[0].field, "channels[1].frequency");
    EXPECT_EQ(prepared.problems[0].Text(false), "输入频段范围不对，请重新输入！");
    // The page names the cell (channel 1's receive frequency) and its text under the message.
    EXPECT_EQ(prepared.problems[0].PageText(false),
              "输入频段范围不对，请重新输入！\n信道 1 接收频率：“500”");
    EXPECT_EQ(prepared.problems[0].PageText(true),
              "The Scope is wrong,Please write again！\nChannel 1 Rx Fre: \"500\"");
    EXPECT_EQ(prepared.problems[1].field, "channels[4].frequency");
    EXPECT_EQ(prepared.problems[2].field, "channels[9].frequency");
    EXPECT_EQ(prepared.problems[2].Text(true), "The Value is wrong,Please write again！");
    EXPECT_EQ(prepared.problems[3].field, "channels[13].frequency");
    EXPECT_EQ(prepared.problems[4].field, "channels[60].frequency");
    EXPECT_EQ(prepared.problems[4].Text(true), "The Form is Wrong，Please check！");
    EXPECT_FALSE(prepared.Writable());
}

TEST(OrvSet, ChoicesTheWriteCannotSendAreRefused) {
    struct Case {
        const char* name;
        void (*change)(OrvSetInput&);
        const char* field; // nullptr: accepted
    };
    const std::vector<Case> cases = {
        {"slot 16", [](OrvSetInput& i) { i.currentChannel = 16; }, nullptr},
        {"slot 0", [](OrvSetInput& i) { i.currentChannel = 0; }, "orvCurrentChannel"},
        {"slot 17", [](OrvSetInput& i) { i.currentChannel = 17; }, "orvCurrentChannel"},
        {"4800", [](OrvSetInput& i) { i.portRateIndex = 8; }, nullptr},
        {"no rate", [](OrvSetInput& i) { i.portRateIndex = -1; }, "orvPortRate"},
        {"rate 9", [](OrvSetInput& i) { i.portRateIndex = 9; }, "orvPortRate"},
        {"last Trimtalk mode", [](OrvSetInput& i) { i.protocol = 1, i.modeIndex = 4; }, nullptr},
        {"no protocol", [](OrvSetInput& i) { i.protocol = -1; }, "mode"},
        {"QZ mode 2", [](OrvSetInput& i) { i.protocol = 3, i.modeIndex = 2; }, "mode"},
        {"no mode", [](OrvSetInput& i) { i.modeIndex = -1; }, "mode"},
        {"empty address", [](OrvSetInput& i) { i.address.clear(); }, "orv.s105"},
        {"address text", [](OrvSetInput& i) { i.address = "12a"; }, "orv.s105"},
        {"address 255", [](OrvSetInput& i) { i.address = "255"; }, nullptr},
        {"address 256", [](OrvSetInput& i) { i.address = "256"; }, "orv.s105"},
        {"close address 2", [](OrvSetInput& i) { i.closeAddress = 2; }, "orv.s190"},
        {"power edited", [](OrvSetInput& i) { i.qxPowerEdited = true, i.qxPowerIndex = 13; },
         nullptr},
        {"power none", [](OrvSetInput& i) { i.qxPowerEdited = true; }, "qx.s108"},
        {"power unedited", [](OrvSetInput& i) { i.qxPowerIndex = -1; }, nullptr},
        {"unknown bandwidth", [](OrvSetInput& i) { i.channels[4].bandwidth = "25 KHz"; },
         "channels[4].bandwidth"},
        {"unknown direction, row not written",
         [](OrvSetInput& i) { i.channels[6].direction = "RX"; }, nullptr},
        {"unknown direction", [](OrvSetInput& i) { i.channels[5].direction = "RX"; },
         "channels[5].direction"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrvSetInput input = ListedRadio();
        c.change(input);
        const auto prepared = OrvPageLogic::PrepareSet(input);
        if (c.field == nullptr) {
            EXPECT_TRUE(prepared.Writable());
            // What Set lets through, the write takes.
            EXPECT_TRUE(CheckWritePlan(prepared.plan).empty());
            continue;
        }
        ASSERT_EQ(prepared.problems.size(), 1u);
        EXPECT_EQ(prepared.problems[0].field, c.field);
        EXPECT_FALSE(prepared.problems[0].chinese.empty());
        EXPECT_FALSE(prepared.problems[0].english.empty());
    }
}

TEST(OrvSet, TheWritesOwnRefusalsAreNamedOnce) {
    std::vector<SetProblem> problems = {{"channels[4].frequency", "a", "b"}};
    AddUnreported("channels[4]", problems);
    AddUnreported("channels[40]", problems);
    AddUnreported("mode", problems);
    AddUnreported("mode", problems);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[1].field, "channels[40]");
    EXPECT_EQ(problems[1].Text(false), "数据有误，请检查！");
    EXPECT_EQ(problems[2].Text(true), "Error，Please check！");
}

TEST(OrvSet, ThePlanCarriesThePageValues) {
    OrvSetInput input = ListedRadio();
    input.closeAddress = 1;
    input.currentChannel = 16;
    input.portRateIndex = 8;
    input.qxPowerEdited = true;
    input.qxPowerIndex = 13;
    const OrvWritePlan plan = OrvPageLogic::PrepareSet(input).plan;
    EXPECT_EQ(std::tie(plan.protocol, plan.modeIndex, plan.address, plan.closeAddress,
                       plan.currentChannel, plan.portRateIndex, plan.writePower, plan.qxPowerIndex),
              std::make_tuple(0, 1, std::string("12"), 1, 16, 8, true, 13));
}

} // namespace
