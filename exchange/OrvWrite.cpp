// The ORV register chain: after the channel dialogue, the mode preset, the address, the
// close-address flag, the four channel registers of the current slot, the port rate, the QX
// page's power when it was edited, and the save.

#include "exchange/WriteSequence.h"

namespace {

using OrvStep = CWriteSequence::WriteStep<OrvWritePlan>;

constexpr int kLastSlot = 16;
constexpr int kLastSlotRepeaterRx = 61; // the channel the radio lists in row 63's place
constexpr int kRateItemWithoutCode = 8; // "4800": code 8 names no rate, 4800 is code 9

std::string Write(int reg, int value) {
    return "ats" + std::to_string(reg) + "=" + std::to_string(value) + "\r";
}

std::string SendOrvPreset(const OrvWritePlan& p) {
    return OrvPresetCommand(p.protocol, p.modeIndex);
}

int SlotChannel(const OrvWritePlan& p, int offset) {
    return 4 * p.currentChannel - 4 + offset;
}

constexpr OrvStep kOrvChain[] = {
    {SendOrvPreset, nullptr},
    {[](const OrvWritePlan& p) { return "ats105=" + p.address + "\r"; }, nullptr},
    {[](const OrvWritePlan& p) { return Write(190, p.closeAddress); }, nullptr},
    {[](const OrvWritePlan& p) { return Write(131, SlotChannel(p, 0)); }, nullptr},
    {[](const OrvWritePlan& p) { return Write(132, SlotChannel(p, 1)); }, nullptr},
    {[](const OrvWritePlan& p) { return Write(191, SlotChannel(p, 2)); }, nullptr},
    {[](const OrvWritePlan& p) {
         return Write(192, p.currentChannel == kLastSlot ? kLastSlotRepeaterRx : SlotChannel(p, 3));
     },
     nullptr},
    {[](const OrvWritePlan& p) {
         return Write(102, p.portRateIndex == kRateItemWithoutCode ? 9 : p.portRateIndex);
     },
     nullptr},
    {[](const OrvWritePlan& p) { return Write(108, p.qxPowerIndex + 20); },
     [](const OrvWritePlan& p) { return p.writePower; }},
    {[](const OrvWritePlan&) { return std::string("at&w\r"); }, nullptr},
};

} // namespace

WriteAction CWriteSequence::OrvWriteStep(const unsigned char* bytes, int count) {
    if (m_family != FAMILY_ORV) {
        return {};
    }
    return Step(bytes, count, m_orv, std::span<const OrvStep>(kOrvChain));
}
