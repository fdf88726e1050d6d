// The QX register chain: after the channel dialogue, the preset, fourteen registers from the QX
// page in the module's order, and the save.

#include "exchange/WriteSequence.h"

namespace {

using QxStep = CWriteSequence::WriteStep<QxWritePlan>;

template <int Reg, int QxWritePlan::*Field, int Offset = 0>
std::string Write(const QxWritePlan& p) {
    return "ats" + std::to_string(Reg) + "=" + std::to_string(p.*Field + Offset) + "\r";
}

std::string SendQxPreset(const QxWritePlan& p) {
    return QxPresetCommand(p);
}

constexpr QxStep kQxChain[] = {
    {SendQxPreset, nullptr},
    {Write<105, &QxWritePlan::unitAddress>, nullptr},
    {Write<131, &QxWritePlan::mainTxIndex>, nullptr},
    {Write<132, &QxWritePlan::mainRxIndex>, nullptr},
    {Write<191, &QxWritePlan::repeaterTxIndex>, nullptr},
    {Write<192, &QxWritePlan::repeaterRxIndex>, nullptr},
    {Write<186, &QxWritePlan::protocolIndex>, nullptr},
    {Write<101, &QxWritePlan::workModeIndex>, nullptr},
    {Write<127, &QxWritePlan::modulationIndex>, nullptr},
    {Write<103, &QxWritePlan::airRateIndex>, nullptr},
    {Write<125, &QxWritePlan::bandwidthIndex>, nullptr},
    {Write<108, &QxWritePlan::powerIndex, 20>, nullptr},
    {Write<158, &QxWritePlan::fecIndex>, nullptr},
    {Write<102, &QxWritePlan::portRateIndex>, nullptr},
    {Write<110, &QxWritePlan::dataFormatIndex, 1>, nullptr},
    {[](const QxWritePlan&) { return std::string("at&w\r"); }, nullptr},
};

} // namespace

WriteAction CWriteSequence::QxWriteStep(const unsigned char* bytes, int count) {
    if (m_family != FAMILY_QX) {
        return {};
    }
    return Step(bytes, count, m_qx, std::span<const QxStep>(kQxChain));
}
