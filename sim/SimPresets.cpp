#include "sim/SimPresets.h"

#include "exchange/RadioSettings.h"

namespace {

constexpr int kKeep = -1;

// Protocol (S186), modulation (S127), air rate (S103) and S141 make the ORV page's mode code;
// S101 tells the Trimtalk modes apart (its meaning differs between the families), S226 the
// Satel and FST variants. Bandwidth (S125) and FEC (S158) exist on the QX module only.
struct Preset {
    int number;
    int s186;
    int s127;
    int s103;
    int s141;
    int orvS101;
    int qxS101;
    int s226;
    int s125;
    int s158;
};

constexpr Preset kPresets[] = {
    // Transparent QZ, 2FSK 9600 bps, 25 kHz; 52 is its repeater.
    {51, 0, 0, 5, 0, kKeep, kKeep, kKeep, 2, 1},
    {52, 0, 0, 5, 1, kKeep, kKeep, kKeep, 2, 1},
    // Bellmark compatible, 2FSK 9600 bps, 25 kHz.
    {53, 1, 0, 5, 0, kKeep, kKeep, kKeep, 2, 1},
    // Trimtalk compatible, 2FSK 9600 bps, 25 kHz: remote, repeater, repeater 2, base.
    {54, 2, 0, 5, 0, 2, 2, kKeep, 2, 1},
    {55, 2, 0, 5, 0, 0, 1, kKeep, 2, 1},
    {56, 2, 0, 5, 0, 1, 3, kKeep, 2, 1},
    {57, 2, 0, 5, 0, 3, 0, kKeep, 2, 1},
    // Satel 3AS compatible, 4FSK: 9600 bps 12.5 kHz, 19200 bps 25 kHz, and their mode one.
    {58, 3, 1, 5, 0, kKeep, kKeep, 0, 1, 0},
    {59, 3, 1, 7, 0, kKeep, kKeep, 0, 2, 0},
    {60, 3, 1, 5, 0, kKeep, kKeep, 1, 1, 0},
    {61, 3, 1, 7, 0, kKeep, kKeep, 1, 2, 0},
    // Bellmark 2FSK 4800 bps 12.5 kHz, Trimtalk 2FSK 4800 bps 12.5 kHz.
    {62, 1, 0, 3, 0, kKeep, kKeep, kKeep, 1, 1},
    {63, 2, 0, 3, 0, 2, 2, kKeep, 1, 1},
    // Bellmark 4FSK: 9600 bps 12.5 kHz, 19200 bps 25 kHz.
    {64, 1, 1, 5, 0, kKeep, kKeep, kKeep, 1, 1},
    {65, 1, 1, 7, 0, kKeep, kKeep, kKeep, 2, 1},
    // BMK FST, 4FSK, modes one and two: ORV radios only.
    {66, 4, 1, 5, 0, kKeep, kKeep, 1, kKeep, kKeep},
    {67, 4, 1, 7, 0, kKeep, kKeep, 1, kKeep, kKeep},
    {68, 4, 1, 5, 0, kKeep, kKeep, 2, kKeep, kKeep},
    {69, 4, 1, 7, 0, kKeep, kKeep, 2, kKeep, kKeep},
};

void Set(std::map<int, int>& registers, int reg, int value) {
    if (value != kKeep) {
        registers[reg] = value;
    }
}

} // namespace

bool ApplySimPreset(int family, int preset, std::map<int, int>& registers) {
    for (const Preset& p : kPresets) {
        if (p.number != preset) {
            continue;
        }
        if (family == FAMILY_QX && p.s186 > 3) {
            return false; // the module has no FST protocol
        }
        Set(registers, 186, p.s186);
        Set(registers, 127, p.s127);
        Set(registers, 103, p.s103);
        Set(registers, 141, p.s141);
        if (family == FAMILY_ORV) {
            Set(registers, 101, p.orvS101);
            Set(registers, 226, p.s226);
        } else {
            Set(registers, 101, p.qxS101);
            Set(registers, 125, p.s125);
            Set(registers, 158, p.s158);
        }
        registers[128] = 0; // a preset is always a protocol the radio knows
        return true;
    }
    return false;
}
