#include "qxpage/QxPageLogic.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace QxPageLogic {

namespace {

// One register of the page: its list's size (0: a number, not a list) and its label.
struct RegisterField {
    int reg;
    int QxPageValues::*member;
    int items;
    const char* chinese;
    const char* english;
};

// In the order the write sends them.
constexpr RegisterField kRegisters[] = {
    {105, &QxPageValues::unitAddress, 0, "单元地址", "Unit address"},
    {131, &QxPageValues::mainTxIndex, 64, "主通道_TX", "Main channel TX"},
    {132, &QxPageValues::mainRxIndex, 64, "主通道_RX", "Main channel RX"},
    {191, &QxPageValues::repeaterTxIndex, 64, "中继器_TX", "Repeater TX"},
    {192, &QxPageValues::repeaterRxIndex, 64, "中继器_RX", "Repeater RX"},
    {186, &QxPageValues::protocolIndex, 4, "协议", "Protocol"},
    {101, &QxPageValues::workModeIndex, 4, "工作模式", "Work mode"},
    {127, &QxPageValues::modulationIndex, 2, "调制类型", "Modulation"},
    {103, &QxPageValues::airRateIndex, 9, "空中速率", "Air rate"},
    {125, &QxPageValues::bandwidthIndex, 3, "带宽", "Bandwidth"},
    {108, &QxPageValues::powerIndex, 14, "输出功率", "Output power"},
    {158, &QxPageValues::fecIndex, 2, "FEC模式", "FEC mode"},
    {102, &QxPageValues::portRateIndex, 15, "波特率", "Baud rate"},
    {110, &QxPageValues::dataFormatIndex, 10, "数据格式", "Data format"},
};

std::string RowField(std::size_t row, const char* name) {
    return "channels[" + std::to_string(row) + "]" + (*name ? "." : "") + name;
}

std::string BandwidthCode(const std::string& text) {
    if (text == "6.25 KHz") {
        return "0";
    }
    if (text == "12.5 KHz") {
        return "1";
    }
    if (text == "25   KHz") {
        return "2";
    }
    return {};
}

// "Tx&Rx", as the radio's own listing names both directions, is both directions here too.
std::string DirectionCode(const std::string& text) {
    if (text == "Rx") {
        return "0";
    }
    if (text == "Tx") {
        return "1";
    }
    if (text == "Rx&Tx" || text == "Tx&Rx") {
        return "2";
    }
    return {};
}

ChannelEntry PrepareRow(std::size_t r, const ChannelEntry& row, std::vector<SetProblem>& problems) {
    const std::string number = std::to_string(r);
    const bool complete =
        !row.frequency.empty() && !row.bandwidth.empty() && !row.direction.empty();
    // An incomplete row, or one whose frequency reads as zero, deletes its channel.
    if (!complete || FrequencyText::ReadsAsZero(row.frequency)) {
        return {number, "0", "0", "0"};
    }
    if (std::optional<SetProblem> problem = CellProblem(r, row.frequency)) {
        problems.push_back(std::move(*problem));
    }
    ChannelEntry answer{number, std::to_string(FrequencyText::HertzFromText(row.frequency)),
                        BandwidthCode(row.bandwidth), DirectionCode(row.direction)};
    if (answer.bandwidth.empty()) {
        problems.push_back({RowField(r, "bandwidth"), "信道" + number + "带宽不对，请检查！",
                            "The Bandwidth of channel " + number + " is wrong,Please check！",
                            WhereChinese("信道 " + number + " BW", row.bandwidth),
                            WhereEnglish("Channel " + number + " BW", row.bandwidth)});
    }
    if (answer.direction.empty()) {
        problems.push_back({RowField(r, "direction"), "信道" + number + "方向不对，请检查！",
                            "The Direction of channel " + number + " is wrong,Please check！",
                            WhereChinese("信道 " + number + " DIR", row.direction),
                            WhereEnglish("Channel " + number + " DIR", row.direction)});
    }
    return answer;
}

std::string PlanField(const WritePlanProblem& problem) {
    switch (problem.fault) {
    case WritePlanFault::ProgramRow:
        return RowField(static_cast<std::size_t>(problem.detail), "");
    case WritePlanFault::NoPreset:
        return "preset";
    case WritePlanFault::PortRate:
        return "qx.s102";
    case WritePlanFault::Register:
        return "qx.s" + std::to_string(problem.detail);
    }
    return "write";
}

} // namespace

FrequencyText::FrequencyVerdict ValidateFrequency(const std::string& text) {
    return FrequencyText::CheckFrequency(text, kStepHz);
}

std::string CellPlace(std::size_t row, bool english) {
    const std::string channel = std::to_string(row);
    return english ? "Channel " + channel + " Frequency(MHz)" : "信道 " + channel + " 频率";
}

std::optional<SetProblem> CellProblem(std::size_t row, const std::string& text) {
    const FrequencyText::FrequencyVerdict verdict = ValidateFrequency(text);
    if (verdict.fault == FrequencyText::FrequencyFault::None) {
        return std::nullopt;
    }
    return SetProblem{
        RowField(row, "frequency"), FrequencyText::FrequencyMessage(verdict.fault, false),
        FrequencyText::FrequencyMessage(verdict.fault, true),
        WhereChinese(CellPlace(row, false), text), WhereEnglish(CellPlace(row, true), text)};
}

QxEnabling EnablingRule(int protocol, int workMode, int s141) {
    QxEnabling on;
    switch (protocol) {
    case 0: // transparent: repeater channels only where the module reported S141
        on.repeater = s141 != 0;
        break;
    case 1:
    case 3:
        on.repeater = false;
        break;
    case 2: // Trimtalk: a slave repeats nothing
        on.workMode = true;
        on.repeater = workMode != 2;
        break;
    default:
        break;
    }
    return on;
}

std::vector<int> DisabledByRule(const QxRegisters& read) {
    const QxEnabling on = EnablingRule(read.s186, read.s101, read.s141);
    std::vector<int> disabled;
    if (!on.workMode) {
        disabled.push_back(101);
    }
    if (!on.repeater) {
        disabled.push_back(191);
        disabled.push_back(192);
    }
    return disabled;
}

QxPageValues ValuesFromRegisters(const QxRegisters& r) {
    QxPageValues v;
    v.protocolIndex = r.s186;
    v.workModeIndex = r.s101;
    v.modulationIndex = r.s127;
    v.airRateIndex = r.s103;
    v.bandwidthIndex = r.s125;
    v.mainTxIndex = r.s131;
    v.mainRxIndex = r.s132;
    v.repeaterTxIndex = r.s191;
    v.repeaterRxIndex = r.s192;
    v.unitAddress = r.s105;
    v.powerIndex = r.s108 - 20;
    v.fecIndex = r.s158;
    v.portRateIndex = r.s102;
    v.dataFormatIndex = r.s110 - 1;
    return v;
}

QxSetPreparation PrepareSet(const QxSetInput& input) {
    QxSetPreparation out;
    QxWritePlan& plan = out.plan;
    for (std::size_t r = 0; r < plan.program.size(); ++r) {
        plan.program[r] = PrepareRow(r, input.rows[r], out.problems);
    }

    const auto disabled = [&input](int reg) {
        const std::vector<int>& off = input.disabledRegisters;
        return std::find(off.begin(), off.end(), reg) != off.end();
    };
    const auto listed = [](const RegisterField& field, int value) {
        return value >= 0 && value < field.items;
    };
    // A list the user cannot reach keeps what the radio holds.
    QxPageValues v = input.values;
    const QxPageValues read = ValuesFromRegisters(input.read);
    for (const RegisterField& field : kRegisters) {
        if (field.items != 0 && disabled(field.reg) && !listed(field, v.*field.member)) {
            v.*field.member = read.*field.member;
        }
    }
    plan.protocolIndex = v.protocolIndex;
    plan.workModeIndex = v.workModeIndex;
    plan.modulationIndex = v.modulationIndex;
    plan.airRateIndex = v.airRateIndex;
    plan.bandwidthIndex = v.bandwidthIndex;
    plan.s141 = input.s141;
    plan.unitAddress = v.unitAddress;
    plan.mainTxIndex = v.mainTxIndex;
    plan.mainRxIndex = v.mainRxIndex;
    plan.repeaterTxIndex = v.repeaterTxIndex;
    plan.repeaterRxIndex = v.repeaterRxIndex;
    plan.powerIndex = v.powerIndex;
    plan.fecIndex = v.fecIndex;
    plan.portRateIndex = v.portRateIndex;
    plan.dataFormatIndex = v.dataFormatIndex;

    if (QxPresetCommand(plan).empty()) {
        out.problems.push_back({"preset", "当前设置没有对应的预置模式，请检查！",
                                "No preset fits these settings,Please check！"});
    }
    for (const RegisterField& field : kRegisters) {
        const int value = v.*field.member;
        const std::string name = "qx.s" + std::to_string(field.reg);
        if (field.items == 0 && value < 0) {
            out.problems.push_back({name, std::string(field.chinese) + "不对，请检查！",
                                    std::string(field.english) + " is wrong,Please check！"});
        } else if (field.items != 0 && !listed(field, value) && !disabled(field.reg)) {
            out.problems.push_back(
                {name, std::string(field.chinese) + "没有选择，请选择！",
                 std::string(field.english) + " is not chosen,Please choose one！"});
        }
    }

    // Whatever the write itself would refuse is refused here as well.
    for (const WritePlanProblem& problem : CheckWritePlan(plan)) {
        AddUnreported(PlanField(problem), out.problems);
    }
    return out;
}

} // namespace QxPageLogic
