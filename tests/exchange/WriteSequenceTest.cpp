// The write's start and its recognition of the radio's answers, fed by hand: which plans are
// refused before anything is sent, which echoes open the dialogue, and that only the answer to
// the command just sent moves the chain on.

#include "exchange/RadioExchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class WriteHost : public IExchangeHost {
public:
    std::vector<std::string> commands;
    std::vector<std::string> ends;

    void SendCommand(const std::string& text) override { commands.push_back(text); }
    void Hold(int) override {}
    void ReadStarted(RadioFamily) override {}
    void ReadFinished(RadioFamily) override {}
    void SetWatchdog(int) override {}
    void NoAnswer() override { ends.push_back("no answer"); }
    void ReplyRejected() override {}
    void WriteFinished(RadioFamily family) override {
        ends.push_back("saved " + std::to_string(family));
    }
    void WriteFailed(RadioFamily family) override {
        ends.push_back("failed " + std::to_string(family));
    }
    void ReadFailed(ReadFailure, const std::string& command) override {
        ends.push_back("read failed " + command);
    }
};

OrvWritePlan GoodOrvPlan() {
    OrvWritePlan plan;
    for (int i = 0; i < 32; ++i) {
        plan.program[static_cast<std::size_t>(i)] = {std::to_string(i), "433125000", "2", "2"};
    }
    plan.protocol = 1;
    plan.modeIndex = 4;
    plan.address = "255";
    plan.currentChannel = 16;
    plan.portRateIndex = 8;
    return plan;
}

QxWritePlan GoodQxPlan() {
    QxWritePlan plan;
    for (int i = 0; i < 64; ++i) {
        plan.program[static_cast<std::size_t>(i)] = {std::to_string(i), "0", "0", "0"};
    }
    plan.protocolIndex = 1;
    plan.workModeIndex = plan.modulationIndex = plan.airRateIndex = plan.bandwidthIndex = 0;
    plan.unitAddress = plan.mainTxIndex = plan.mainRxIndex = plan.repeaterTxIndex = 0;
    plan.repeaterRxIndex = plan.powerIndex = plan.fecIndex = plan.portRateIndex = 0;
    plan.dataFormatIndex = 0;
    return plan;
}

struct Exchange {
    explicit Exchange(RadioFamily family) : exchange(host, settings) { exchange.SetFamily(family); }
    void Feed(const std::string& bytes) {
        for (const char c : bytes) {
            exchange.OnPortRxChar(static_cast<unsigned char>(c));
        }
    }
    WriteHost host;
    RadioSettings settings;
    CRadioExchange exchange;
};

using Problems = std::vector<WritePlanProblem>;
constexpr auto kRow = WritePlanFault::ProgramRow;
constexpr auto kReg = WritePlanFault::Register;

} // namespace

TEST(WritePlanCheck, OrvFaultsAreNamedAndNothingIsSent) {
    const std::vector<std::pair<std::function<void(OrvWritePlan&)>, Problems>> cases = {
        {[](OrvWritePlan& p) { p.program[3].frequency = "409999999"; }, {{kRow, 3}}},
        {[](OrvWritePlan& p) { p.program[4].frequency = "480000001"; }, {{kRow, 4}}},
        {[](OrvWritePlan& p) { p.program[5].frequency = "4331250\r00"; }, {{kRow, 5}}},
        {[](OrvWritePlan& p) { p.program[6].bandwidth = "3"; }, {{kRow, 6}}},
        {[](OrvWritePlan& p) { p.program[7].direction = ""; }, {{kRow, 7}}},
        {[](OrvWritePlan& p) { p.program[8].channel = "64"; }, {{kRow, 8}}},
        {[](OrvWritePlan& p) { p.modeIndex = 5; }, {{WritePlanFault::NoPreset}}},
        {[](OrvWritePlan& p) { p.protocol = 5; }, {{WritePlanFault::NoPreset}}},
        {[](OrvWritePlan& p) { p.portRateIndex = -1; }, {{WritePlanFault::PortRate}}},
        {[](OrvWritePlan& p) { p.portRateIndex = 9; }, {{WritePlanFault::PortRate}}},
        {[](OrvWritePlan& p) { p.address = "256"; }, {{kReg, 105}}},
        {[](OrvWritePlan& p) { p.address = "1\rat&w"; }, {{kReg, 105}}},
        {[](OrvWritePlan& p) { p.currentChannel = 17; }, {{kReg, 131}}},
        {[](OrvWritePlan& p) { p.writePower = true, p.qxPowerIndex = -1; }, {{kReg, 108}}},
        {[](OrvWritePlan& p) { p.qxPowerIndex = -1; }, {}}, // not written, not checked
        {[](OrvWritePlan& p) {
             p.program[0].frequency = "0", p.program[31].frequency = "410000000";
         },
         {}},
        {[](OrvWritePlan& p) { p.program[1].bandwidth = "x", p.modeIndex = -1; },
         {{kRow, 1}, {WritePlanFault::NoPreset}}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        OrvWritePlan plan = GoodOrvPlan();
        cases[i].first(plan);
        EXPECT_EQ(CheckWritePlan(plan), cases[i].second);
        Exchange e(FAMILY_ORV);
        EXPECT_EQ(e.exchange.StartWrite(plan), cases[i].second.empty());
        EXPECT_EQ(e.host.commands.empty(), !cases[i].second.empty());
    }
}

TEST(WritePlanCheck, QxRegisterWithoutSelectionIsRefused) {
    const std::vector<std::pair<int QxWritePlan::*, int>> fields = {
        {&QxWritePlan::unitAddress, 105},     {&QxWritePlan::mainTxIndex, 131},
        {&QxWritePlan::repeaterRxIndex, 192}, {&QxWritePlan::powerIndex, 108},
        {&QxWritePlan::dataFormatIndex, 110}, {&QxWritePlan::portRateIndex, 102},
    };
    for (const auto& [field, reg] : fields) {
        QxWritePlan plan = GoodQxPlan();
        plan.*field = -1;
        EXPECT_EQ(CheckWritePlan(plan), (Problems{{kReg, reg}})) << reg;
    }
    QxWritePlan plan = GoodQxPlan();
    plan.program[63] = {"63", "433125000", "", "2"}; // incomplete rows go as "0", "0", "0"
    EXPECT_EQ(CheckWritePlan(plan), (Problems{{kRow, 63}}));
}

TEST(WriteStart, RefusedWhileWritingAndForTheOtherFamily) {
    Exchange orv(FAMILY_ORV);
    EXPECT_FALSE(orv.exchange.StartWrite(GoodQxPlan()));
    ASSERT_TRUE(orv.exchange.StartWrite(GoodOrvPlan()));
    EXPECT_FALSE(orv.exchange.StartWrite(GoodOrvPlan()));
    EXPECT_EQ(orv.host.commands, std::vector<std::string>{"ATP0=\r"});
    EXPECT_TRUE(orv.exchange.Write().OrvWriting());
    EXPECT_FALSE(orv.exchange.Write().QxWriting());
}

TEST(WriteStart, OnlyTheTwoEchoFormsOpenTheDialogue) {
    const std::pair<std::string, bool> echoes[] = {
        {"ATP0=\r", true},   {"\nATP0=\r\n", true}, {"ATP0\r", false},
        {"xATP0=\r", false}, {"atp0=\r", false},    {"\r\nOK\r\n", false},
    };
    for (const auto& [echo, opens] : echoes) {
        SCOPED_TRACE(echo);
        Exchange e(FAMILY_QX);
        ASSERT_TRUE(e.exchange.StartWrite(GoodQxPlan()));
        e.Feed(echo);
        EXPECT_EQ(e.host.commands.back() == "mord%ax", opens);
    }
}

// Answers 32 rows of prompts and closes the dialogue: the preset is then outstanding.
void DriveToPreset(Exchange& e) {
    ASSERT_TRUE(e.exchange.StartWrite(GoodOrvPlan()));
    e.Feed("ATP0=\r");
    for (int row = 0; row < 32; ++row) {
        e.Feed(std::string("\r\n") + CWriteSequence::kChannelPrompt);
        e.Feed(CWriteSequence::kFrequencyPrompt);
        e.Feed(CWriteSequence::kBandwidthPrompt);
        e.Feed(CWriteSequence::kDirectionPrompt);
    }
    EXPECT_EQ(e.exchange.Write().ProgramIndex(), 32);
    e.Feed(CWriteSequence::kChannelPrompt);
    EXPECT_EQ(e.host.commands.back(), "\x1b");
    EXPECT_EQ(e.exchange.Write().ProgramIndex(), 0);
    e.Feed("\r\nOK\r\n");
    EXPECT_EQ(e.host.commands.back(), "AT&F57\r");
}

TEST(WriteSteps, OnlyTheAnswerToTheLastCommandMovesTheChain) {
    // A bare OK, or the echo of a register not written last, is no answer to the preset:
    // nothing is sent twice and nothing is skipped.
    for (const std::string stray : {"\r\nOK\r\n", "ats190=1\r\n\r\nOK\r\n"}) {
        SCOPED_TRACE(stray);
        Exchange e(FAMILY_ORV);
        DriveToPreset(e);
        const std::size_t sent = e.host.commands.size();
        e.Feed(stray);
        EXPECT_EQ(e.host.commands.size(), sent);
        EXPECT_EQ(e.exchange.Write().Phase(), WritePhase::Registers);
        EXPECT_TRUE(e.host.ends.empty());
    }
    Exchange e(FAMILY_ORV);
    DriveToPreset(e);
    e.Feed("AT&F57\r\n\r\nOK\r\n");
    EXPECT_EQ(e.host.commands.back(), "ats105=255\r");
}

// A radio that restarts in the middle of a write says what it says after "+++": that must not
// start a read beside the write (which would then wait forever and refill the page). The write
// goes on waiting for its answer and ends in "no answer".
TEST(WriteSteps, AStartAnswerDuringAWriteStartsNoRead) {
    const std::pair<RadioFamily, std::string> cases[] = {
        {FAMILY_ORV, "ATP0=\r"},
        {FAMILY_ORV, std::string("\r\n") + CWriteSequence::kChannelPrompt},
        {FAMILY_QX, "ATP0=\r"},
        {FAMILY_QX, ""},
    };
    for (const auto& [family, before] : cases) {
        SCOPED_TRACE(family);
        Exchange e(family);
        ASSERT_TRUE(family == FAMILY_ORV ? e.exchange.StartWrite(GoodOrvPlan())
                                         : e.exchange.StartWrite(GoodQxPlan()));
        e.Feed(before);
        const std::vector<std::string> sent = e.host.commands;
        e.Feed(CRadioExchange::kStartAnswer);
        EXPECT_EQ(e.host.commands, sent);
        EXPECT_FALSE(e.exchange.Reading());
        EXPECT_TRUE(e.exchange.Write().Running());
        e.exchange.OnWatchdogExpired();
        EXPECT_EQ(e.host.ends, std::vector<std::string>{"no answer"});
        EXPECT_FALSE(e.exchange.Write().Running());
    }
}
