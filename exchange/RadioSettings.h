#pragma once
// The settings of one radio as plain values: the registers and channel listing a read fills in,
// the ORV power-on report, and the program rows a write sends. A read hands over a copy; a page
// keeps its own; the exchange fills the one it was given.

#include <array>
#include <string>

enum RadioFamily : int { FAMILY_QX = 0, FAMILY_ORV = 1 };

// One channel row. Held either in the radio's listing form (433.125000 / "25   KHz" / "Rx&Tx")
// or in the answer form typed at the radio's prompts ("433125000" / "2" / "2").
struct ChannelEntry {
    std::string channel;
    std::string frequency;
    std::string bandwidth;
    std::string direction;

    bool operator==(const ChannelEntry&) const = default;
};

struct OrvRegisters {
    int s128 = 0;
    int s186 = 0;
    int s127 = 0;
    int s103 = 0;
    int s141 = 0;
    int s101 = 0;
    int s226 = 0;
    int s190 = 0;
    std::string s105;

    bool operator==(const OrvRegisters&) const = default;
};

struct QxRegisters {
    int s186 = 0;
    int s101 = 0;
    int s127 = 0;
    int s103 = 0;
    int s141 = 0;
    int s125 = 0;
    int s131 = 0;
    int s132 = 0;
    int s191 = 0;
    int s192 = 0;
    int s105 = 0;
    int s108 = 0;
    int s158 = 0;
    int s102 = 0;
    int s110 = 0;

    bool operator==(const QxRegisters&) const = default;
};

struct RadioSettings {
    static constexpr int kChannelRows = 64;
    static constexpr int kOrvProgramRows = 32;
    static constexpr int kQxProgramRows = 64;

    OrvRegisters orv;
    QxRegisters qx;

    // Taken from the ORV power-on report, not read by command.
    int orvCurrentChannel = 0; // 1..16
    int orvPortRate = 0;       // port-rate code 0..9

    std::array<ChannelEntry, kChannelRows> channels{};      // listing form, index = channel number
    std::array<ChannelEntry, kOrvProgramRows> orvProgram{}; // answer form
    std::array<ChannelEntry, kQxProgramRows> qxProgram{};   // answer form

    bool operator==(const RadioSettings&) const = default;
};
