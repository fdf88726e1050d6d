#pragma once
// What a simulated radio remembers: its registers, its 64-entry channel table and, for an ORV
// radio, the current channel slot that its power-on report carries. Plain data, no Qt, so that
// the in-process model and the program share it.

#include "exchange/RadioSettings.h"

#include <array>
#include <map>
#include <string>

struct SimChannel {
    bool programmed = false;
    long long frequencyHz = 0; // 410000000..480000000 when programmed
    int bandwidth = 1;         // 0 = 6.25 kHz, 1 = 12.5 kHz, 2 = 25 kHz
    int direction = 2;         // 0 = Rx, 1 = Tx, 2 = Rx&Tx

    bool operator==(const SimChannel&) const = default;
};

struct SimState {
    static constexpr int kChannels = 64;
    static constexpr long long kLowestHz = 410000000;
    static constexpr long long kHighestHz = 480000000;

    int family = FAMILY_ORV;
    std::map<int, int> registers; // register number -> value
    std::array<SimChannel, kChannels> channels{};
    int currentChannel = 3; // ORV slot 1..16, reported at power-on

    bool operator==(const SimState&) const = default;
};

// Lowest and highest value a register accepts; false when the family has no such register.
bool SimRegisterRange(int family, int reg, int* lowest, int* highest);

// A radio fresh from the factory: a few programmed channels, current channel 3, 9600 baud.
SimState DefaultSimState(int family);

// Checks a state as it may come from a file; on failure tells why.
bool ValidateSimState(const SimState& state, std::string* why);

// Serial rate of the radio's port-rate register (S102): ORV code 0..9 (8 has no rate), QX index
// 0..14. Returns 0 when the value names no rate.
int SimBaudOfRateRegister(int family, int value);
// The register value for a baud rate, or -1 when the family does not offer that rate.
int SimRateRegisterOfBaud(int family, int baud);

// The texts of the channel listing.
std::string SimFrequencyText(long long hz); // "433.125000"
std::string SimBandwidthText(int code);     // "6.25 KHz", "12.5 KHz", "25   KHz"
std::string SimDirectionText(int code);     // "Rx", "Tx", "Rx&Tx"
