#include "sim/SimState.h"

#include <cstdio>

namespace {

struct RegisterRange {
    int reg;
    int lowest;
    int highest;
};

// The mode registers of an ORV radio hold one digit each: the settings page combines them into
// a four-digit protocol/mode code.
constexpr RegisterRange kOrvRegisters[] = {
    {128, 0, 9},  {186, 0, 9},  {127, 0, 9},  {103, 0, 9},   {141, 0, 9},
    {101, 0, 9},  {226, 0, 9},  {190, 0, 1},  {105, 0, 255}, {131, 0, 63},
    {132, 0, 63}, {191, 0, 63}, {192, 0, 63}, {102, 0, 9},   {108, 20, 33},
};

constexpr RegisterRange kQxRegisters[] = {
    {128, 0, 9},   {186, 0, 3},  {101, 0, 3},  {127, 0, 1},  {103, 0, 8},  {141, 0, 1},
    {125, 0, 2},   {131, 0, 63}, {132, 0, 63}, {191, 0, 63}, {192, 0, 63}, {105, 0, 255},
    {108, 20, 33}, {158, 0, 1},  {102, 0, 14}, {110, 1, 10},
};

// ORV port-rate codes 0..9; code 8 names no rate.
constexpr int kOrvBauds[] = {230400, 115200, 57600, 38400, 28800, 19200, 14400, 9600, 0, 4800};
// QX port-rate indexes 0..14, fastest first.
constexpr int kQxBauds[] = {230400, 115200, 57600, 38400, 28800, 19200, 14400, 9600,
                            7200,   4800,   3600,  2400,  1200,  600,   300};

template <std::size_t N>
bool FindRange(const RegisterRange (&table)[N], int reg, int* lowest, int* highest) {
    for (const RegisterRange& r : table) {
        if (r.reg == reg) {
            *lowest = r.lowest;
            *highest = r.highest;
            return true;
        }
    }
    return false;
}

std::string RegisterName(int reg) {
    return "S" + std::to_string(reg);
}

} // namespace

bool SimRegisterRange(int family, int reg, int* lowest, int* highest) {
    int lo = 0;
    int hi = 0;
    const bool known = family == FAMILY_ORV ? FindRange(kOrvRegisters, reg, &lo, &hi)
                                            : FindRange(kQxRegisters, reg, &lo, &hi);
    if (known && lowest) {
        *lowest = lo;
    }
    if (known && highest) {
        *highest = hi;
    }
    return known;
}

int SimBaudOfRateRegister(int family, int value) {
    if (family == FAMILY_ORV) {
        return value >= 0 && value < static_cast<int>(std::size(kOrvBauds)) ? kOrvBauds[value] : 0;
    }
    return value >= 0 && value < static_cast<int>(std::size(kQxBauds)) ? kQxBauds[value] : 0;
}

int SimRateRegisterOfBaud(int family, int baud) {
    if (baud <= 0) {
        return -1;
    }
    for (int value = 0; value < 16; ++value) {
        if (SimBaudOfRateRegister(family, value) == baud) {
            return value;
        }
    }
    return -1;
}

SimState DefaultSimState(int family) {
    SimState state;
    state.family = family;
    state.currentChannel = 3;
    if (family == FAMILY_ORV) {
        // BMK transparent, 2FSK 9600 bps, 25 kHz (mode code 1050); slot 3 is channels 8..11.
        state.registers = {{128, 0}, {186, 1},  {127, 0},  {103, 5},  {141, 0},
                           {101, 0}, {226, 0},  {190, 0},  {105, 12}, {131, 8},
                           {132, 9}, {191, 10}, {192, 11}, {102, 7},  {108, 30}};
        // Every slot has its four channels: transmit, receive and the repeater pair.
        for (int n = 0; n < SimState::kChannels; ++n) {
            SimChannel& c = state.channels[static_cast<std::size_t>(n)];
            c.programmed = true;
            c.frequencyHz = 433000000 + 12500LL * n;
            c.bandwidth = n % 16 == 15 ? 2 : (n % 16 == 14 ? 0 : 1);
            c.direction = n % 2 == 0 ? 1 : 0;
        }
    } else {
        // Transparent protocol, slave, 2FSK 9600 bps, 25 kHz, 8N1 at 9600 baud.
        state.registers = {{128, 0},  {186, 0}, {101, 2}, {127, 0}, {103, 5}, {141, 0},
                           {125, 2},  {131, 3}, {132, 3}, {191, 0}, {192, 0}, {105, 1},
                           {108, 30}, {158, 1}, {102, 7}, {110, 1}};
        for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 32, 33, 34, 35}) {
            SimChannel& c = state.channels[static_cast<std::size_t>(n)];
            c.programmed = true;
            c.frequencyHz = 410012500 + 12500LL * n;
            c.bandwidth = n < 32 ? 2 : 1;
            c.direction = n == 33 ? 1 : (n == 34 ? 0 : 2);
        }
    }
    return state;
}

bool ValidateSimState(const SimState& state, std::string* why) {
    auto fail = [why](const std::string& text) {
        if (why) {
            *why = text;
        }
        return false;
    };
    if (state.family != FAMILY_ORV && state.family != FAMILY_QX) {
        return fail("unknown radio family");
    }
    const SimState defaults = DefaultSimState(state.family);
    for (const auto& [reg, value] : defaults.registers) {
        if (!state.registers.contains(reg)) {
            return fail("register " + RegisterName(reg) + " is missing");
        }
    }
    for (const auto& [reg, value] : state.registers) {
        int lowest = 0;
        int highest = 0;
        if (!SimRegisterRange(state.family, reg, &lowest, &highest)) {
            return fail("this radio has no register " + RegisterName(reg));
        }
        if (value < lowest || value > highest) {
            return fail("register " + RegisterName(reg) + " = " + std::to_string(value) +
                        " is outside " + std::to_string(lowest) + ".." + std::to_string(highest));
        }
    }
    if (SimBaudOfRateRegister(state.family, state.registers.at(102)) == 0) {
        return fail("register S102 = " + std::to_string(state.registers.at(102)) +
                    " names no serial rate");
    }
    if (state.family == FAMILY_ORV && (state.currentChannel < 1 || state.currentChannel > 16)) {
        return fail("current channel " + std::to_string(state.currentChannel) +
                    " is outside 1..16");
    }
    for (int n = 0; n < SimState::kChannels; ++n) {
        const SimChannel& c = state.channels[static_cast<std::size_t>(n)];
        if (!c.programmed) {
            continue;
        }
        const std::string name = "channel " + std::to_string(n);
        if (c.frequencyHz < SimState::kLowestHz || c.frequencyHz > SimState::kHighestHz) {
            return fail(name + ": frequency " + std::to_string(c.frequencyHz) +
                        " Hz is outside 410000000..480000000");
        }
        if (c.bandwidth < 0 || c.bandwidth > 2) {
            return fail(name + ": bandwidth code " + std::to_string(c.bandwidth) +
                        " is not 0, 1 or 2");
        }
        if (c.direction < 0 || c.direction > 2) {
            return fail(name + ": direction code " + std::to_string(c.direction) +
                        " is not 0, 1 or 2");
        }
    }
    return true;
}

std::string SimFrequencyText(long long hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06lld", hz / 1000000, hz % 1000000);
    return text;
}

std::string SimBandwidthText(int code) {
    switch (code) {
    case 0:
        return "6.25 KHz";
    case 1:
        return "12.5 KHz";
    default:
        return "25   KHz";
    }
}

std::string SimDirectionText(int code) {
    switch (code) {
    case 0:
        return "Rx";
    case 1:
        return "Tx";
    default:
        return "Rx&Tx";
    }
}
