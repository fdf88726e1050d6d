// Both write sequences of the real command exchange against the simulated radio, byte by byte:
// what goes on the wire and in which order, the presets, the error path, a write cut short, and
// a read after the write giving back what was written.

#include "exchange/PowerOnReport.h"
#include "exchange/RadioExchange.h"
#include "sim/SimRadio.h"
#include "tests/support/SimLink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <sstream>
#include <tuple>

// Faults are written as designated initializers that name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

std::string Hz(long long hz) {
    return std::to_string(hz);
}

// 32 rows of one ORV layout: slot r's two channels, some deleted, all codes used.
OrvWritePlan OrvPlan(bool repeaterLayout, int slot) {
    OrvWritePlan plan;
    for (int r = 0; r < 16; ++r) {
        for (int k = 0; k < 2; ++k) {
            const int channel = 4 * r + k + (repeaterLayout ? 2 : 0);
            const bool deleted = r % 5 == 4;
            plan.program[static_cast<std::size_t>(2 * r + k)] = {
                std::to_string(channel), deleted ? "0" : Hz(410000000 + 1250LL * 97 * channel),
                std::to_string((r + k) % 3), std::to_string((r + 2 * k) % 3)};
        }
    }
    plan.protocol = 0;
    plan.modeIndex = 1;
    plan.address = "17";
    plan.closeAddress = 1;
    plan.currentChannel = slot;
    plan.portRateIndex = 7;
    return plan;
}

QxWritePlan QxPlan() {
    return SampleQxPlan(9);
}

// The dialogue as the radio must see it: the command, the access code, four answers per row,
// ESC after the last row.
template <std::size_t N>
std::vector<std::string> Dialogue(const std::array<ChannelEntry, N>& rows) {
    std::vector<std::string> wire = {"ATP0=\r", "mord%ax"};
    for (const ChannelEntry& row : rows) {
        for (const std::string* field :
             {&row.channel, &row.frequency, &row.bandwidth, &row.direction}) {
            wire.push_back(*field + "\r");
        }
    }
    wire.push_back("\x1b");
    return wire;
}

// A written row as the radio's listing shows it afterwards (empty when deleted).
ChannelEntry Listed(const ChannelEntry& written) {
    if (written.frequency == "0") {
        return {};
    }
    char mhz[32];
    std::snprintf(mhz, sizeof mhz, "%.6f", std::stoll(written.frequency) / 1e6);
    const char* bandwidths[] = {"6.25 KHz", "12.5 KHz", "25   KHz"};
    const char* directions[] = {"Rx", "Tx", "Rx&Tx"};
    return {written.channel, mhz, bandwidths[std::stoi(written.bandwidth)],
            directions[std::stoi(written.direction)]};
}

SimState EmptyRadio(int family, int slot = 3) {
    SimState state = DefaultSimState(family);
    state.channels = {};
    state.currentChannel = slot;
    return state;
}

} // namespace

TEST(SimWriteThroughExchange, OrvWireOrderInBothLayouts) {
    struct Case {
        bool repeater;
        int slot;
        int rateIndex;
        bool power;
        const char* registers; // after the preset, each ended by "\r" on the wire
    };
    const Case cases[] = {
        {false, 1, 7, false,
         "ats105=17 ats190=1 ats131=0 ats132=1 ats191=2 ats192=3 ats102=7 at&w"},
        {true, 16, 8, true,
         "ats105=17 ats190=1 ats131=60 ats132=61 ats191=62 ats192=61 ats102=9 ats108=33 at&w"},
        {false, 7, 0, false,
         "ats105=17 ats190=1 ats131=24 ats132=25 ats191=26 ats192=27 ats102=0 at&w"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        CSimRadio radio(EmptyRadio(FAMILY_ORV, c.slot));
        CSimLink link(radio, FAMILY_ORV);
        link.Escape();
        ASSERT_EQ(link.readsFinished, 1);
        link.commands.clear();

        OrvWritePlan plan = OrvPlan(c.repeater, c.slot);
        plan.portRateIndex = c.rateIndex;
        plan.writePower = c.power;
        plan.qxPowerIndex = 13;
        ASSERT_TRUE(link.Write(plan));

        std::vector<std::string> expected = Dialogue(plan.program);
        expected.push_back("AT&F53\r");
        std::istringstream registers(c.registers);
        for (std::string command; registers >> command;) {
            expected.push_back(command + "\r");
        }
        EXPECT_EQ(link.commands, expected);
        EXPECT_EQ(link.saved, 1);
        EXPECT_EQ(link.failed, 0);
        EXPECT_FALSE(link.exchange.Write().Running());
        EXPECT_TRUE(radio.TakeSaved());
        EXPECT_TRUE(link.settings.orvProgram == plan.program);

        // The saved rate is what the radio reports at its next power-on.
        const PowerOnReport report = ParsePowerOnReport(radio.PowerOnAnnouncement());
        EXPECT_EQ(report.rateCode, c.rateIndex == 8 ? 9 : c.rateIndex);
    }
}

TEST(SimWriteThroughExchange, QxWireOrder) {
    CSimRadio radio(EmptyRadio(FAMILY_QX));
    CSimLink link(radio, FAMILY_QX);
    link.Escape();
    link.commands.clear();
    const QxWritePlan plan = QxPlan();
    ASSERT_TRUE(link.Write(plan));

    std::vector<std::string> expected = Dialogue(plan.program);
    std::istringstream registers("AT&F55 ats105=201 ats131=4 ats132=5 ats191=62 ats192=63 "
                                 "ats186=2 ats101=1 ats127=0 ats103=5 ats125=2 ats108=33 "
                                 "ats158=1 ats102=9 ats110=1 at&w");
    for (std::string command; registers >> command;) {
        expected.push_back(command + "\r");
    }
    EXPECT_EQ(link.commands, expected);
    EXPECT_EQ(link.saved, 1);
    EXPECT_TRUE(radio.TakeSaved());
}

// Every preset the ORV page can choose, written and read back: the registers the radio then
// reports select the same protocol and mode on the ORV page.
TEST(SimWriteThroughExchange, EveryOrvPresetReadsBackAsItsMode) {
    // protocol, mode index, preset, then the mode code and the register that tells the modes
    // of one code apart (S101 for Trimtalk, S226 for Satel and FST, -1 none).
    const std::tuple<int, int, const char*, int, int> rows[] = {
        {0, 0, "AT&F62\r", 1030, -1}, {0, 1, "AT&F53\r", 1050, -1}, {0, 2, "AT&F64\r", 1150, -1},
        {0, 3, "AT&F65\r", 1170, -1}, {1, 0, "AT&F63\r", 2030, -1}, {1, 1, "AT&F54\r", 2050, 2},
        {1, 2, "AT&F55\r", 2050, 0},  {1, 3, "AT&F56\r", 2050, 1},  {1, 4, "AT&F57\r", 2050, 3},
        {2, 0, "AT&F58\r", 3150, 0},  {2, 1, "AT&F59\r", 3170, 0},  {2, 2, "AT&F60\r", 3150, 1},
        {2, 3, "AT&F61\r", 3170, 1},  {3, 0, "AT&F51\r", 50, -1},   {3, 1, "AT&F52\r", 51, -1},
        {4, 0, "AT&F66\r", 4150, 1},  {4, 1, "AT&F67\r", 4170, 1},  {4, 2, "AT&F68\r", 4150, 2},
        {4, 3, "AT&F69\r", 4170, 2},
    };
    for (const auto& [protocol, mode, preset, code, variant] : rows) {
        SCOPED_TRACE(preset);
        CSimRadio radio(EmptyRadio(FAMILY_ORV));
        CSimLink link(radio, FAMILY_ORV);
        link.Escape();
        OrvWritePlan plan = OrvPlan(false, 3);
        plan.protocol = protocol;
        plan.modeIndex = mode;
        link.commands.clear();
        ASSERT_TRUE(link.Write(plan));
        ASSERT_EQ(link.saved, 1);
        EXPECT_EQ(link.commands[Dialogue(plan.program).size()], preset);

        link.Escape();
        ASSERT_EQ(link.readsFinished, 2);
        const OrvRegisters& r = link.settings.orv;
        EXPECT_EQ(r.s128, 0);
        EXPECT_EQ(r.s141 + 10 * r.s103 + 100 * r.s127 + 1000 * r.s186, code);
        if (variant >= 0) {
            EXPECT_EQ(protocol == 1 ? r.s101 : r.s226, variant);
        }
    }
}

TEST(SimWriteThroughExchange, EveryQxPresetRowAndNoneForOtherStates) {
    // protocol, S141 as read, work mode, air rate, bandwidth -> preset ("" none: nothing sent)
    const std::tuple<int, int, int, int, int, std::string> rows[] = {
        {0, 0, 0, 5, 2, "AT&F51\r"}, {0, 1, 0, 5, 2, "AT&F52\r"}, {1, 0, 2, 5, 2, "AT&F53\r"},
        {2, 0, 0, 5, 2, "AT&F57\r"}, {2, 0, 1, 5, 2, "AT&F55\r"}, {2, 0, 2, 5, 2, "AT&F54\r"},
        {2, 0, 3, 5, 2, "AT&F56\r"}, {3, 0, 0, 5, 1, "AT&F58\r"}, {3, 0, 0, 7, 2, "AT&F59\r"},
        {3, 0, 0, 5, 2, ""},         {3, 0, 0, 7, 1, ""},         {0, 2, 0, 5, 2, ""},
    };
    for (const auto& [protocol, s141, workMode, airRate, bandwidth, preset] : rows) {
        SCOPED_TRACE(std::to_string(protocol) + "/" + std::to_string(s141) + "/" +
                     std::to_string(workMode) + "/" + std::to_string(airRate) + "/" +
                     std::to_string(bandwidth));
        CSimRadio radio(EmptyRadio(FAMILY_QX));
        CSimLink link(radio, FAMILY_QX);
        link.Escape();
        link.commands.clear();
        QxWritePlan plan = QxPlan();
        plan.protocolIndex = protocol;
        plan.s141 = s141;
        plan.workModeIndex = workMode;
        plan.airRateIndex = airRate;
        plan.bandwidthIndex = bandwidth;
        if (preset.empty()) {
            EXPECT_FALSE(link.Write(plan));
            EXPECT_TRUE(link.commands.empty());
            EXPECT_FALSE(link.exchange.Write().Running());
            continue;
        }
        ASSERT_TRUE(link.Write(plan));
        EXPECT_EQ(link.saved, 1);
        EXPECT_EQ(link.commands[Dialogue(plan.program).size()], preset);
    }
}

TEST(SimWriteThroughExchange, ReadAfterWriteGivesBackWhatWasWritten) {
    for (const bool repeater : {false, true}) {
        SCOPED_TRACE(repeater);
        CSimRadio radio(EmptyRadio(FAMILY_ORV, 16));
        CSimLink link(radio, FAMILY_ORV);
        link.Escape();
        const OrvWritePlan plan = OrvPlan(repeater, 16);
        ASSERT_TRUE(link.Write(plan));
        ASSERT_EQ(link.saved, 1);

        link.Escape();
        ASSERT_EQ(link.readsFinished, 2);
        EXPECT_EQ(link.settings.orv.s105, plan.address);
        EXPECT_EQ(link.settings.orv.s190, plan.closeAddress);
        std::array<ChannelEntry, 64> expected{};
        for (const ChannelEntry& row : plan.program) {
            expected[static_cast<std::size_t>(std::stoi(row.channel))] = Listed(row);
        }
        // Row 63 of an ORV listing repeats another channel; it is not compared.
        for (std::size_t n = 0; n < 63; ++n) {
            EXPECT_EQ(link.settings.channels[n], expected[n]) << "row " << n;
        }
    }

    CSimRadio radio(EmptyRadio(FAMILY_QX));
    CSimLink link(radio, FAMILY_QX);
    link.Escape();
    QxWritePlan plan = QxPlan();
    plan.protocolIndex = 0;
    plan.s141 = 1; // the transparent protocol's repeater preset
    ASSERT_TRUE(link.Write(plan));
    ASSERT_EQ(link.saved, 1);
    link.Escape();
    ASSERT_EQ(link.readsFinished, 2);
    EXPECT_TRUE(link.settings.qx ==
                (QxRegisters{0, 1, 0, 5, 1, 2, 4, 5, 62, 63, 201, 33, 1, 9, 1}));
    for (std::size_t n = 0; n < 64; ++n) {
        EXPECT_EQ(link.settings.channels[n], Listed(plan.program[n])) << "row " << n;
    }
}

TEST(SimWriteThroughExchange, ErrorEndsTheWriteWhereItHits) {
    struct Case {
        int family;
        SimFaults faults;
        std::size_t errorAt; // command answered with ERROR by the line, 0: none
        std::string last;    // the last command sent
    };
    const Case cases[] = {
        {FAMILY_ORV, {.errorOn = "ats131="}, 0, "ats131=8\r"},
        {FAMILY_QX, {.errorOn = "AT&F"}, 0, "AT&F55\r"},
        {FAMILY_QX, {.errorOn = "ats110="}, 0, "ats110=1\r"},
        // The answer to row 5's frequency: 2 + 5 * 4 + 2 commands.
        {FAMILY_ORV, {}, 24, Hz(410000000 + 1250LL * 97 * 9) + "\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        CSimRadio radio(EmptyRadio(c.family));
        radio.SetFaults(c.faults);
        CSimLink link(radio, c.family);
        link.Escape();
        link.commands.clear();
        link.errorAt = c.errorAt;
        const bool started =
            c.family == FAMILY_ORV ? link.Write(OrvPlan(false, 3)) : link.Write(QxPlan());
        ASSERT_TRUE(started);
        EXPECT_EQ(link.commands.back(), c.last);
        EXPECT_EQ(link.failed, 1);
        EXPECT_EQ(link.saved, 0);
        EXPECT_FALSE(link.exchange.Write().Running());
        EXPECT_EQ(link.exchange.Write().ProgramIndex(), 0);
        EXPECT_FALSE(radio.TakeSaved());
        // Nothing more is sent, whatever else arrives.
        const std::size_t sent = link.commands.size();
        link.Deliver("\r\nOK\r\n");
        EXPECT_EQ(link.commands.size(), sent);
    }
}

TEST(SimWriteThroughExchange, AbandonAndSilenceStopAWriteMidway) {
    for (const bool silence : {false, true}) {
        SCOPED_TRACE(silence);
        CSimRadio radio(EmptyRadio(FAMILY_QX));
        CSimLink link(radio, FAMILY_QX);
        link.Escape();
        link.commands.clear();
        link.deadAfter = 41; // in the dialogue, row 9
        ASSERT_TRUE(link.Write(QxPlan()));
        ASSERT_TRUE(link.exchange.Write().QxWriting());
        EXPECT_GT(link.exchange.Write().ProgramIndex(), 0);
        if (silence) {
            link.exchange.OnWatchdogExpired();
            EXPECT_EQ(link.noAnswers, 1);
        } else {
            link.exchange.Abandon();
        }
        EXPECT_FALSE(link.exchange.Write().Running());
        EXPECT_EQ(link.exchange.Write().Phase(), WritePhase::Idle);
        EXPECT_EQ(link.exchange.Write().ProgramIndex(), 0);
        // The radio's late prompt is no longer answered.
        const std::size_t sent = link.commands.size();
        link.Deliver(CSimRadio::kFrequencyPrompt);
        EXPECT_EQ(link.commands.size(), sent);
        EXPECT_EQ(link.saved + link.failed, 0);
    }
}
