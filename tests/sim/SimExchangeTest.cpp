// Both families' writes of the real command exchange against the simulated radio, byte by byte:
// what a write puts on the wire, in which order, with which preset, and what the radio then holds.

#include "exchange/PowerOnReport.h"
#include "exchange/RadioExchange.h"
#include "sim/SimRadio.h"
#include "tests/faults/FaultMatrix.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

using FaultMatrix::OrvPlan;

namespace {

// The dialogue as the radio must see it: the command, the access code, four answers per row,
// ESC after the last row; then the commands after it, each ended by "\r".
template <std::size_t N>
std::vector<std::string> Wire(const std::array<ChannelEntry, N>& rows, const char* after) {
    std::vector<std::string> wire = {"ATP0=\r", "mord%ax"};
    for (const ChannelEntry& row : rows) {
        for (const std::string& field :
             {row.channel, row.frequency, row.bandwidth, row.direction}) {
            wire.push_back(field + "\r");
        }
    }
    wire.push_back("\x1b");
    std::istringstream commands(after);
    for (std::string command; commands >> command;) {
        wire.push_back(command + "\r");
    }
    return wire;
}

// A radio read once, its commands forgotten: ready for a write.
struct ReadRadio {
    explicit ReadRadio(int family) : radio(family), link(radio, family) {
        link.Escape();
        EXPECT_EQ(link.readsFinished, 1);
        link.commands.clear();
    }
    CSimRadio radio;
    CSimLink link;
};

} // namespace

TEST(SimExchange, OrvWriteWireOrderInBothLayoutsAndTheSavedRate) {
    // Layout, slot, port-rate item, S108 written, the commands after the dialogue.
    const std::tuple<bool, int, int, bool, const char*> cases[] = {
        {false, 1, 7, false,
         "AT&F53 ats105=17 ats190=1 ats131=0 ats132=1 ats191=2 ats192=3 ats102=7 at&w"},
        {true, 16, 8, true,
         "AT&F53 ats105=17 ats190=1 ats131=60 ats132=61 ats191=62 ats192=61 ats102=9 ats108=33 "
         "at&w"},
    };
    for (const auto& [repeater, slot, rateIndex, power, after] : cases) {
        SCOPED_TRACE(slot);
        ReadRadio r(FAMILY_ORV);
        OrvWritePlan plan = OrvPlan(repeater, slot);
        plan.portRateIndex = rateIndex;
        plan.writePower = power;
        plan.qxPowerIndex = 13;
        ASSERT_TRUE(r.link.Write(plan));
        EXPECT_EQ(r.link.commands, Wire(plan.program, after));
        EXPECT_EQ(r.link.saved, 1);
        EXPECT_TRUE(r.radio.TakeSaved());
        EXPECT_TRUE(r.link.settings.orvProgram == plan.program);
        for (const ChannelEntry& row : plan.program) {
            const SimChannel& held = r.radio.Channel(std::stoi(row.channel));
            EXPECT_EQ(held.programmed ? std::to_string(held.frequencyHz) : "0", row.frequency);
            EXPECT_TRUE(!held.programmed || (std::to_string(held.bandwidth) == row.bandwidth &&
                                             std::to_string(held.direction) == row.direction));
        }
        // The saved rate is what the radio reports at its next power-on.
        const PowerOnReport report = ParsePowerOnReport(r.radio.PowerOnAnnouncement());
        EXPECT_EQ(report.rateCode, rateIndex == 8 ? 9 : rateIndex);
    }
}

// Every preset the ORV page can choose, written and read back: the registers the radio then
// reports select the same protocol and mode on the ORV page.
TEST(SimExchange, EveryOrvPresetReadsBackAsItsMode) {
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
        ReadRadio r(FAMILY_ORV);
        OrvWritePlan plan = OrvPlan(false, 3);
        plan.protocol = protocol;
        plan.modeIndex = mode;
        ASSERT_TRUE(r.link.Write(plan));
        ASSERT_EQ(r.link.saved, 1);
        EXPECT_EQ(r.link.commands[4 * 32 + 3], preset);

        r.link.Escape();
        ASSERT_EQ(r.link.readsFinished, 2);
        const OrvRegisters& s = r.link.settings.orv;
        EXPECT_EQ(s.s141 + 10 * s.s103 + 100 * s.s127 + 1000 * s.s186, code);
        if (variant >= 0) {
            EXPECT_EQ(protocol == 1 ? s.s101 : s.s226, variant);
        }
    }
}

TEST(SimExchange, QxWireOrderAndEveryPresetRowAndNoneForOtherStates) {
    // protocol, S141 as read, work mode, air rate, bandwidth -> preset ("" none: the write refused)
    const std::tuple<int, int, int, int, int, std::string> rows[] = {
        {0, 0, 0, 5, 2, "AT&F51\r"}, {0, 1, 0, 5, 2, "AT&F52\r"}, {1, 0, 2, 5, 2, "AT&F53\r"},
        {2, 0, 0, 5, 2, "AT&F57\r"}, {2, 0, 1, 5, 2, "AT&F55\r"}, {2, 0, 2, 5, 2, "AT&F54\r"},
        {2, 0, 3, 5, 2, "AT&F56\r"}, {3, 0, 0, 5, 1, "AT&F58\r"}, {3, 0, 0, 7, 2, "AT&F59\r"},
        {3, 0, 0, 5, 2, ""},         {3, 0, 0, 7, 1, ""},         {0, 2, 0, 5, 2, ""},
    };
    for (const auto& [protocol, s141, workMode, airRate, bandwidth, preset] : rows) {
        ReadRadio r(FAMILY_QX);
        QxWritePlan plan = SampleQxPlan(9);
        plan.protocolIndex = protocol;
        plan.s141 = s141;
        plan.workModeIndex = workMode;
        plan.airRateIndex = airRate;
        plan.bandwidthIndex = bandwidth;
        EXPECT_EQ(r.link.Write(plan), !preset.empty());
        // The radio takes the preset and the write ends saved.
        const std::size_t at = 4 * 64 + 3;
        EXPECT_EQ(r.link.commands.size() > at ? r.link.commands[at] : "", preset) << protocol;
        EXPECT_EQ(r.link.saved, preset.empty() ? 0 : 1) << preset;
        if (preset == "AT&F55\r") { // the sample plan as it is: its whole write
            EXPECT_EQ(r.link.commands,
                      Wire(plan.program, "AT&F55 ats105=201 ats131=4 ats132=5 ats191=62 ats192=63 "
                                         "ats186=2 ats101=1 ats127=0 ats103=5 ats125=2 ats108=33 "
                                         "ats158=1 ats102=9 ats110=1 at&w"));
        }
    }
}
