// The QX register chain: after the channel dialogue, the preset, fourteen registers from the QX
// page in the module's order, and the save.

#include "exchange/WriteSequence.h"

namespace {

using QxStep = CWriteSequence::WriteStep<QxWritePlan>;
constexpr auto kHead = CWriteSequence::EchoTest::Head;
constexpr auto kReg = CWriteSequence::EchoTest::Register;

template <int Reg, int QxWritePlan::*Field, int Offset = 0>
std::string Write(const QxWritePlan& p) {
    return "ats" + std::to_string(Reg) + "=" + std::to_string(p.*Field + Offset) + "\r";
}

std::string SendQxPreset(const QxWritePlan& p) {
    return QxPresetCommand(p);
}

constexpr QxStep kQxChain[] = {
    {kHead, "AT&F", SendQxPreset, nullptr},
    {kReg, "105", Write<105, &QxWritePlan::unitAddress>, nullptr},
    {kReg, "131", Write<131, &QxWritePlan::mainTxIndex>, nullptr},
    {kReg, "132", Write<132, &QxWritePlan::mainRxIndex>, nullptr},
    {kReg, "191", Write<191, &QxWritePlan::repeaterTxIndex>, nullptr},
    {kReg, "192", Write<192, &QxWritePlan::repeaterRxIndex>, nullptr},
    {kReg, "186", Write<186, &QxWritePlan::protocolIndex>, nullptr},
    {kReg, "101", Write<101, &QxWritePlan::workModeIndex>, nullptr},
    {kReg, "127", Write<127, &QxWritePlan::modulationIndex>, nullptr},
    {kReg, "103", Write<103, &QxWritePlan::airRateIndex>, nullptr},
    {kReg, "125", Write<125, &QxWritePlan::bandwidthIndex>, nullptr},
    {kReg, "108", Write<108, &QxWritePlan::powerIndex, 20>, nullptr},
    {kReg, "158", Write<158, &QxWritePlan::fecIndex>, nullptr},
    {kReg, "102", Write<102, &QxWritePlan::portRateIndex>, nullptr},
    {kHead, "ats110", Write<110, &QxWritePlan::dataFormatIndex, 1>, nullptr},
    {kHead, "at&w", [](const QxWritePlan&) { return std::string("at&w\r"); }, nullptr},
};

} // namespace

WriteAction CWriteSequence::QxWriteStep(const unsigned char* bytes, int count) {
    if (m_family != FAMILY_QX) {
        return {};
    }
    return Step(bytes, count, m_qx, std::span<const QxStep>(kQxChain));
}
