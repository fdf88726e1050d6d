#include "exchange/WritePlan.h"

#include <span>
#include <string_view>

namespace {

constexpr long long kLowestHz = 410000000;
constexpr long long kHighestHz = 480000000;
constexpr int kOrvRateItems = 9;
constexpr int kOrvSlots = 16;

// A plain decimal number of at most maxDigits digits: nothing that could carry a line end or a
// second command into the radio.
bool PlainNumber(std::string_view text, std::size_t maxDigits, long long* value) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    long long result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

bool NumberIn(std::string_view text, std::size_t maxDigits, long long lowest, long long highest) {
    long long value = 0;
    return PlainNumber(text, maxDigits, &value) && value >= lowest && value <= highest;
}

// What the radio's four channel prompts accept.
bool RowAnswerable(const ChannelEntry& row) {
    long long hz = 0;
    const bool frequency =
        PlainNumber(row.frequency, 9, &hz) && (hz == 0 || (hz >= kLowestHz && hz <= kHighestHz));
    return frequency && NumberIn(row.channel, 2, 0, RadioSettings::kChannelRows - 1) &&
           NumberIn(row.bandwidth, 1, 0, 2) && NumberIn(row.direction, 1, 0, 2);
}

void CheckRows(std::span<const ChannelEntry> rows, std::vector<WritePlanProblem>& problems) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!RowAnswerable(rows[r])) {
            problems.push_back({WritePlanFault::ProgramRow, static_cast<int>(r)});
        }
    }
}

void NeedSelection(int value, int reg, std::vector<WritePlanProblem>& problems) {
    if (value < 0) {
        problems.push_back({WritePlanFault::Register, reg});
    }
}

} // namespace

std::vector<WritePlanProblem> CheckWritePlan(const OrvWritePlan& plan) {
    std::vector<WritePlanProblem> problems;
    CheckRows(plan.program, problems);
    if (OrvPresetCommand(plan.protocol, plan.modeIndex).empty()) {
        problems.push_back({WritePlanFault::NoPreset});
    }
    if (!NumberIn(plan.address, 3, 0, 255)) {
        problems.push_back({WritePlanFault::Register, 105});
    }
    if (plan.closeAddress != 0 && plan.closeAddress != 1) {
        problems.push_back({WritePlanFault::Register, 190});
    }
    if (plan.currentChannel < 1 || plan.currentChannel > kOrvSlots) {
        problems.push_back({WritePlanFault::Register, 131});
    }
    if (plan.portRateIndex < 0 || plan.portRateIndex >= kOrvRateItems) {
        problems.push_back({WritePlanFault::PortRate});
    }
    if (plan.writePower) {
        NeedSelection(plan.qxPowerIndex, 108, problems);
    }
    return problems;
}

std::vector<WritePlanProblem> CheckWritePlan(const QxWritePlan& plan) {
    std::vector<WritePlanProblem> problems;
    CheckRows(plan.program, problems);
    if (QxPresetCommand(plan).empty()) {
        problems.push_back({WritePlanFault::NoPreset});
    }
    const std::pair<int, int> registers[] = {
        {105, plan.unitAddress},     {131, plan.mainTxIndex},     {132, plan.mainRxIndex},
        {191, plan.repeaterTxIndex}, {192, plan.repeaterRxIndex}, {186, plan.protocolIndex},
        {101, plan.workModeIndex},   {127, plan.modulationIndex}, {103, plan.airRateIndex},
        {125, plan.bandwidthIndex},  {108, plan.powerIndex},      {158, plan.fecIndex},
        {102, plan.portRateIndex},   {110, plan.dataFormatIndex}};
    for (const auto& [reg, value] : registers) {
        NeedSelection(value, reg, problems);
    }
    return problems;
}
