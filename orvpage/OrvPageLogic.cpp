#include "orvpage/OrvPageLogic.h"

#include "orvpage/OrvTableFile.h"
#include "settings/ValueNames.h"

#include <cstddef>
#include <string>
#include <utility>

namespace OrvPageLogic {

namespace {

constexpr int kPortRateCodeOf4800 = 9;
constexpr int kSlots = 16;

int PortRateItems() {
    return static_cast<int>(ValueNames::OrvPortRateItems().size());
}

// The radio's unit address: a plain decimal number of at most three digits, up to 255.
bool IsAddress(const std::string& text) {
    if (text.empty() || text.size() > 3) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return std::stoi(text) <= 255;
}

// The settings-document field a write-plan problem concerns.
std::string PlanField(const WritePlanProblem& problem, bool repeaterLayout) {
    switch (problem.fault) {
    case WritePlanFault::ProgramRow: {
        // Program rows 2r and 2r + 1 are table rows 4r and 4r + 1 (+ 2 in the repeater layout).
        const int r = problem.detail;
        return "channels[" + std::to_string(4 * (r / 2) + r % 2 + (repeaterLayout ? 2 : 0)) + "]";
    }
    case WritePlanFault::NoPreset:
        return "mode";
    case WritePlanFault::PortRate:
        return "orvPortRate";
    case WritePlanFault::Register:
        switch (problem.detail) {
        case 131:
            return "orvCurrentChannel";
        case 108:
            return "qx.s108";
        default:
            return "orv.s" + std::to_string(problem.detail);
        }
    }
    return "write";
}

std::string RowField(std::size_t row, const char* name) {
    return "channels[" + std::to_string(row) + "]." + name;
}

const char* const kTitlesZh[] = {"信道", "发射频率", "接收频率", "中继发", "中继收"};
const char* const kTitlesEn[] = {"channel", "Tx Fre", "Rx Fre", "Rep Tx", "Rep Rx"};

void CheckCell(std::size_t row, const std::string& cell, ChannelEntry& working,
               std::vector<SetProblem>& problems) {
    // A cell that reads as zero is how an imported empty entry shows: the channel is deleted.
    if (FrequencyText::ReadsAsZero(cell)) {
        working.frequency = "0";
        return;
    }
    if (std::optional<SetProblem> problem = CellProblem(row, cell)) {
        problems.push_back(std::move(*problem));
        return;
    }
    working.frequency = std::to_string(FrequencyText::HertzFromText(cell));
}

// The codes come from the radio's listing, which names the texts that did not fit.
void CheckCodes(std::size_t row, const ChannelEntry& listed, const ChannelEntry& working,
                std::vector<SetProblem>& problems) {
    const std::string number = std::to_string(row);
    if (working.bandwidth != "0" && working.bandwidth != "1" && working.bandwidth != "2") {
        problems.push_back({RowField(row, "bandwidth"), "信道" + number + "带宽不对，请检查！",
                            "The Bandwidth of channel " + number + " is wrong,Please check！",
                            WhereChinese("信道 " + number + " 带宽", listed.bandwidth),
                            WhereEnglish("Channel " + number + " bandwidth", listed.bandwidth)});
    }
    if (working.direction != "0" && working.direction != "1" && working.direction != "2") {
        problems.push_back({RowField(row, "direction"), "信道" + number + "方向不对，请检查！",
                            "The Direction of channel " + number + " is wrong,Please check！",
                            WhereChinese("信道 " + number + " 方向", listed.direction),
                            WhereEnglish("Channel " + number + " direction", listed.direction)});
    }
}

} // namespace

FrequencyText::FrequencyVerdict ValidateFrequency(const std::string& text) {
    return FrequencyText::CheckFrequency(text, kStepHz);
}

const char* ColumnTitle(int column, bool english) {
    if (column < 0 || column > 4) {
        return "";
    }
    return english ? kTitlesEn[column] : kTitlesZh[column];
}

std::string CellPlace(std::size_t row, bool english) {
    const std::string channel = std::to_string(row / 4 + 1);
    const int column = static_cast<int>(row % 4) + 1;
    return english ? "Channel " + channel + " " + ColumnTitle(column, true)
                   : "信道 " + channel + " " + ColumnTitle(column, false);
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

bool IsMirroredRow(std::size_t row, bool repeaterLayout) {
    return repeaterLayout && row == kMirroredRow;
}

const char* MirroredCellNote(bool english) {
    return english ? "Slot 16 receives its repeater traffic on channel 61, and the radio lists "
                     "channel 61 here: this cell shows channel 16's Rx frequency and cannot be "
                     "edited."
                   : "信道 16 的中继接收使用信道 61，电台在此处列出的也是信道 61："
                     "此格显示信道 16 的接收频率，不能编辑。";
}

std::string BandwidthCode(const std::string& listing) {
    if (listing == "6.25 KHz") {
        return "0";
    }
    if (listing == "12.5 KHz") {
        return "1";
    }
    if (listing == "25   KHz" || listing.empty()) {
        return "2";
    }
    return listing;
}

std::string DirectionCode(const std::string& listing) {
    if (listing == "Rx") {
        return "0";
    }
    if (listing == "Tx") {
        return "1";
    }
    if (listing == "Tx&Rx" || listing == "Rx&Tx" || listing.empty()) {
        return "2";
    }
    return listing;
}

int ResolveListChoice(const std::string& editText, const std::vector<std::string>& items,
                      int selection) {
    if (editText.empty() || editText.front() != '*') {
        return selection;
    }
    const std::string rest = editText.substr(1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == rest) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int ModeCount(int protocol) {
    const auto protocols = ValueNames::OrvProtocols();
    return protocol >= 0 && protocol < static_cast<int>(protocols.size())
               ? static_cast<int>(protocols[static_cast<std::size_t>(protocol)].modes.size())
               : 0;
}

std::optional<bool> RepeaterLayoutOf(int protocol, int modeIndex) {
    switch (protocol) {
    case 0:
    case 2:
    case 4:
        return false;
    case 1: // Trimtalk450S: the three repeater modes
        if (modeIndex >= 0 && modeIndex < ModeCount(1)) {
            return modeIndex >= 2;
        }
        return std::nullopt;
    case 3: // QZ transparent: mode 1 is the repeater
        if (modeIndex >= 0 && modeIndex < ModeCount(3)) {
            return modeIndex == 1;
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

ModeOnPage ModeFromRegisters(const OrvRegisters& r) {
    ModeOnPage page;
    page.addressEnabled = r.s186 == 0 || r.s186 == 1 || r.s186 == 4;
    if (r.s128 != 0) {
        page.unknownProtocol = true;
        return page;
    }
    const auto shown = [&page](int protocol, int modeIndex, bool repeater) {
        page.protocol = protocol;
        page.modeIndex = modeIndex;
        page.repeaterLayout = repeater;
    };
    const int code = r.s141 + 10 * r.s103 + 100 * r.s127 + 1000 * r.s186;
    switch (code) {
    case 50:
        shown(3, 0, false);
        break;
    case 51:
        shown(3, 1, true);
        break;
    case 1030:
    case 1050:
    case 1150:
    case 1170:
        shown(0, code == 1030 ? 0 : code == 1050 ? 1 : code == 1150 ? 2 : 3, false);
        break;
    case 2030:
        shown(1, 0, false);
        break;
    case 2050: {
        constexpr std::array<int, 4> kItemOfS101 = {2, 3, 1, 4};
        if (r.s101 >= 0 && r.s101 < 4) {
            const int item = kItemOfS101[static_cast<std::size_t>(r.s101)];
            shown(1, item, item != 1);
        }
        break;
    }
    case 2051:
        break;
    case 3150:
    case 3170:
        page.repeaterLayout = false;
        if (r.s226 == 0 || r.s226 == 1) {
            shown(2, (code == 3170 ? 1 : 0) + 2 * r.s226, false);
        }
        break;
    case 4150:
    case 4170:
        page.repeaterLayout = false;
        if (r.s226 == 1 || r.s226 == 2) {
            shown(4, (code == 4170 ? 1 : 0) + 2 * (r.s226 - 1), false);
        }
        break;
    default:
        page.unknownProtocol = true;
        break;
    }
    return page;
}

int PortRateItem(int code) {
    const int items = PortRateItems();
    if (code == kPortRateCodeOf4800) {
        return items - 1;
    }
    return code >= 0 && code < items - 1 ? code : -1;
}

OrvSetPreparation PrepareSet(const OrvSetInput& input) {
    OrvSetPreparation out;
    for (std::size_t i = 0; i < out.working.size(); ++i) {
        const ChannelEntry& listed = input.channels[i];
        out.working[i] =
            ChannelEntry{std::to_string(i), listed.frequency, BandwidthCode(listed.bandwidth),
                         DirectionCode(listed.direction)};
    }

    // List order: row by row, the layout's two editable columns.
    for (std::size_t i = 0; i < out.working.size(); ++i) {
        if (OrvTableFile::IsEditableRow(i, input.repeaterLayout)) {
            const std::size_t shown = IsMirroredRow(i, input.repeaterLayout) ? kMirrorSource : i;
            CheckCell(i, input.cells[shown], out.working[i], out.problems);
        }
    }

    OrvWritePlan& plan = out.plan;
    std::size_t next = 0;
    for (std::size_t i = 0; i < out.working.size(); ++i) {
        if (OrvTableFile::IsEditableRow(i, input.repeaterLayout)) {
            CheckCodes(i, input.channels[i], out.working[i], out.problems);
            plan.program[next++] = out.working[i];
        }
    }

    plan.protocol = input.protocol;
    plan.modeIndex = input.modeIndex;
    plan.address = input.address;
    plan.closeAddress = input.closeAddress;
    plan.currentChannel = input.currentChannel;
    plan.portRateIndex = input.portRateIndex;
    plan.writePower = input.qxPowerEdited;
    plan.qxPowerIndex = input.qxPowerIndex;

    if (OrvPresetCommand(input.protocol, input.modeIndex).empty()) {
        out.problems.push_back({"mode", "没有可写入的协议模式，请选择！",
                                "No protocol mode is chosen,Please choose one！"});
    }
    if (input.portRateIndex < 0 || input.portRateIndex >= PortRateItems()) {
        out.problems.push_back({"orvPortRate", "没有选择串口速率，请选择！",
                                "No port rate is chosen,Please choose one！"});
    }
    if (input.currentChannel < 1 || input.currentChannel > kSlots) {
        out.problems.push_back({"orvCurrentChannel", "当前信道不对（1-16），请检查！",
                                "The current channel is not 1-16,Please check！"});
    }
    if (!IsAddress(input.address)) {
        out.problems.push_back({"orv.s105", "电台地址码不对（0-255），请重新输入！",
                                "The Address is not 0-255,Please write again！"});
    }
    if (input.closeAddress != 0 && input.closeAddress != 1) {
        out.problems.push_back({"orv.s190", "关闭地址的值不对，请检查！",
                                "The close-address value is wrong,Please check！"});
    }
    const int qxPowerItems = static_cast<int>(ValueNames::Qx().powers.size());
    if (input.qxPowerEdited && (input.qxPowerIndex < 0 || input.qxPowerIndex >= qxPowerItems)) {
        out.problems.push_back({"qx.s108", "没有选择输出功率，请选择！",
                                "No output power is chosen,Please choose one！"});
    }

    // Whatever the write itself would refuse is refused here as well, so that a prepared plan
    // is never turned away after the saving page has appeared.
    for (const WritePlanProblem& problem : CheckWritePlan(plan)) {
        AddUnreported(PlanField(problem, input.repeaterLayout), out.problems);
    }
    return out;
}

} // namespace OrvPageLogic
