// Both read sequences of the real command exchange against the simulated radio, byte by byte,
// from the start answer to the end of the read: what the tool reads must be what the radio holds.

#include "exchange/PowerOnReport.h"
#include "exchange/RadioExchange.h"
#include "exchange/RateTables.h"
#include "sim/SimRadio.h"
#include "tests/support/SimLink.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <tuple>

// Faults are written as designated initializers that name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// The channel rows the tool should hold after reading the radio, starting from empty rows.
std::array<ChannelEntry, 64> ExpectedChannels(const CSimRadio& radio) {
    std::array<ChannelEntry, 64> rows{};
    std::vector<int> listed;
    for (int n = 0; n < 64; ++n) {
        const SimChannel& c = radio.Channel(n);
        if (c.programmed) {
            rows[static_cast<std::size_t>(n)] = {std::to_string(n), SimFrequencyText(c.frequencyHz),
                                                 SimBandwidthText(c.bandwidth),
                                                 SimDirectionText(c.direction)};
            listed.push_back(n);
        }
    }
    // An ORV radio's row 63 shows the channel listed two lines before it, its number cut to
    // two characters.
    if (radio.Family() == FAMILY_ORV && radio.Channel(63).programmed && listed.size() >= 3) {
        const int m = listed[listed.size() - 3];
        rows[63] = rows[static_cast<std::size_t>(m)];
        rows[63].channel.resize(2, ' ');
    }
    return rows;
}

// Reads the radio through the exchange (a QX module possibly powered on with CONFIG held) and
// compares what the tool holds with what the radio does.
void ReadAndCompare(const SimState& state, bool configHeld = false, const SimFaults& faults = {}) {
    CSimRadio radio(state);
    radio.SetFaults(faults);
    CSimLink link(radio, state.family);
    const auto r = [&radio](int reg) { return radio.Register(reg); };
    if (state.family == FAMILY_ORV) {
        // The power-on detection takes channel and rate from the report.
        const PowerOnReport report = ParsePowerOnReport(radio.PowerOnAnnouncement());
        ASSERT_TRUE(report.valid);
        EXPECT_EQ(report.channel, state.currentChannel);
        EXPECT_EQ(report.rateCode, r(102));
    }
    if (configHeld) {
        link.Deliver(radio.PowerOnAnnouncement());
    } else {
        link.Escape();
    }
    ASSERT_EQ(link.readsFinished, 1) << "last command: " << link.commands.back();
    EXPECT_EQ(link.rejected, 0);
    EXPECT_TRUE(link.failures.empty());
    if (state.family == FAMILY_ORV) {
        EXPECT_TRUE(link.settings.orv ==
                    (OrvRegisters{r(128), r(186), r(127), r(103), r(141), r(101), r(226), r(190),
                                  std::to_string(r(105))}));
    } else {
        EXPECT_TRUE(link.settings.qx ==
                    (QxRegisters{r(186), r(101), r(127), r(103), r(141), r(125), r(131), r(132),
                                 r(191), r(192), r(105), r(108), r(158), r(102), r(110)}));
    }
    const std::array<ChannelEntry, 64> expected = ExpectedChannels(radio);
    for (std::size_t n = 0; n < 64; ++n) {
        EXPECT_TRUE(link.settings.channels[n] == expected[n]) << "row " << n;
    }
}

} // namespace

TEST(SimReadThroughExchange, OrvFactoryAndUnusualStates) {
    ReadAndCompare(DefaultSimState(FAMILY_ORV));

    SimState state = DefaultSimState(FAMILY_ORV);
    state.registers = {{128, 1},  {186, 3},  {127, 1},  {103, 7},   {141, 0},
                       {101, 2},  {226, 1},  {190, 1},  {105, 203}, {131, 60},
                       {132, 61}, {191, 62}, {192, 61}, {102, 9},   {108, 33}};
    state.currentChannel = 16;
    state.channels = {};
    for (int n : {0, 13, 40, 58, 61, 63}) {
        state.channels[static_cast<std::size_t>(n)] = {true, 410000000 + 6250LL * n * n, n % 3,
                                                       n % 3};
    }
    ReadAndCompare(state);
}

TEST(SimReadThroughExchange, QxFactoryAndUnusualStates) {
    ReadAndCompare(DefaultSimState(FAMILY_QX), true);

    SimState state = DefaultSimState(FAMILY_QX);
    state.registers = {{128, 0},  {186, 3},  {101, 1},  {127, 1},  {103, 8}, {141, 1},
                       {125, 0},  {131, 63}, {132, 9},  {191, 40}, {192, 5}, {105, 255},
                       {108, 20}, {158, 0},  {102, 14}, {110, 10}};
    state.channels = {};
    for (int n : {1, 9, 40, 62, 63}) {
        state.channels[static_cast<std::size_t>(n)] = {true, 480000000 - 12500LL * n, 2 - n % 3,
                                                       n % 3};
    }
    ReadAndCompare(state);
}

TEST(SimReadThroughExchange, StrayBytesAtPowerOnAndAnEmptyListingLineAreHarmless) {
    SimState orv = DefaultSimState(FAMILY_ORV);
    ASSERT_TRUE(orv.channels[0].programmed);
    ReadAndCompare(orv, false, {.powerOnNoise = std::string("\xff\x00", 2)});
    ReadAndCompare(orv, false, {.listingEmptyLine = true});
    ReadAndCompare(DefaultSimState(FAMILY_QX), true, {.listingEmptyLine = true});
}

TEST(SimReadThroughExchange, FaultsStopTheReadWhereTheyHit) {
    using R = ReadFailure;
    const std::string listingNoise("\xff\x00\xa5\xff", 4);
    // Family, faults, the last command sent, replies rejected, and the failure reported.
    const std::tuple<int, SimFaults, std::string, int, std::optional<R>> cases[] = {
        {FAMILY_ORV, {.noise = "#", .noiseOn = "ATS141?"}, "ATS141?", 0, {}}, // not a reply
        {FAMILY_ORV, {.extraListingLines = 20}, "ATP0?", 1, {}}, // beyond the reply buffer
        {FAMILY_QX, {.valueNoise = "\xff", .valueNoiseOn = "ATS132?"}, "ATS132?", 0, R::Garbled},
        {FAMILY_ORV, {.valueNoise = "\xff", .valueNoiseOn = "ATS128?"}, "ATS128?", 0, R::Garbled},
        {FAMILY_ORV, {.listingNoise = listingNoise}, "ATP0?", 0, R::Garbled},
        {FAMILY_QX, {.errorOn = "ATS132?"}, "ATS132?", 0, R::Refused},
        {FAMILY_ORV, {.errorOn = "ATP0?"}, "ATP0?", 0, R::Refused},
        {FAMILY_QX, {.resetOn = "ATS186?"}, "ATS186?", 0, R::KeepsRestarting},
    };
    for (const auto& [family, faults, command, rejected, why] : cases) {
        SCOPED_TRACE(command);
        CSimRadio radio(family);
        radio.SetFaults(faults);
        CSimLink link(radio, family);
        link.Escape();
        EXPECT_EQ(link.readsFinished, 0);
        EXPECT_EQ(link.commands.back(), command + "\r");
        EXPECT_EQ(link.rejected, rejected);
        using Failures = std::vector<std::pair<R, std::string>>;
        const Failures expected = why ? Failures{{*why, command}} : Failures{};
        EXPECT_EQ(link.failures, expected);
    }
}

TEST(SimReadThroughExchange, ToolAndRadioAgreeOnTheOrvPortRates) {
    for (int code = -1; code <= 10; ++code) {
        EXPECT_EQ(RateTables::OrvPortRateBaud(code), SimBaudOfRateRegister(FAMILY_ORV, code))
            << code;
    }
}
