// The factory presets a write chooses. The ORV preset follows the index of the mode in the
// protocol's mode list, not its text; the QX preset follows the page's protocol and, for some
// protocols, its work mode, air rate and bandwidth.

#include "exchange/WritePlan.h"

#include <span>

namespace {

// Per protocol button, the preset of each mode list item in item order.
constexpr int kBmkTransparent[] = {62, 53, 64, 65};
constexpr int kTrimtalk[] = {63, 54, 55, 56, 57};
constexpr int kSatel[] = {58, 59, 60, 61};
constexpr int kQzTransparent[] = {51, 52};
constexpr int kBmkFst[] = {66, 67, 68, 69};

constexpr std::span<const int> kOrvModes[] = {kBmkTransparent, kTrimtalk, kSatel, kQzTransparent,
                                              kBmkFst};

// QX work modes of the Trimtalk protocol: base, repeater, remote, repeater 2.
constexpr int kQxTrimtalk[] = {57, 55, 54, 56};

std::string PresetCommand(int number) {
    return "AT&F" + std::to_string(number) + "\r";
}

} // namespace

std::string OrvPresetCommand(int protocol, int modeIndex) {
    if (protocol < 0 || protocol >= static_cast<int>(std::size(kOrvModes))) {
        return {};
    }
    const std::span<const int> modes = kOrvModes[protocol];
    if (modeIndex < 0 || modeIndex >= static_cast<int>(modes.size())) {
        return {};
    }
    return PresetCommand(modes[static_cast<std::size_t>(modeIndex)]);
}

std::string QxPresetCommand(const QxWritePlan& plan) {
    switch (plan.protocolIndex) {
    case 0: // Transparent QZ: the radio's own S141, whatever the page shows
        if (plan.s141 == 0 || plan.s141 == 1) {
            return PresetCommand(51 + plan.s141);
        }
        return {};
    case 1: // Bellmark compatible
        return PresetCommand(53);
    case 2: // Trimtalk compatible
        if (plan.workModeIndex >= 0 &&
            plan.workModeIndex < static_cast<int>(std::size(kQxTrimtalk))) {
            return PresetCommand(kQxTrimtalk[plan.workModeIndex]);
        }
        return {};
    case 3: // Satel (3AS) compatible: 9600 bit/s at 12.5 kHz or 19200 bit/s at 25 kHz
        if (plan.airRateIndex == 5 && plan.bandwidthIndex == 1) {
            return PresetCommand(58);
        }
        if (plan.airRateIndex == 7 && plan.bandwidthIndex == 2) {
            return PresetCommand(59);
        }
        return {};
    default:
        return {};
    }
}
