#include "document/PlanDocument.h"

#include "document/DocumentSet.h"
#include "orvpage/FrequencyText.h"
#include "orvpage/OrvTableFile.h"
#include "qxpage/QxPageLogic.h"

namespace Doc {
namespace {

// Two frequency texts name the same channel: the same hertz, or both no channel.
bool SameFrequency(const std::string& a, const std::string& b) {
    const auto hz = [](const std::string& text) {
        return text.empty() ? 0 : FrequencyText::HertzFromText(text);
    };
    return hz(a) == hz(b);
}

} // namespace

std::int64_t PlanStepHz(RadioFamily family) {
    return family == FAMILY_ORV ? 1250 : 50;
}

std::vector<std::size_t> ApplyOrvPlan(const ChannelPlanCsv::Plan& plan, bool repeaterLayout,
                                      bool bandwidthEditable, ChannelTable& table) {
    constexpr std::size_t kLast = 63;
    constexpr std::size_t kListedThere = 61;
    std::vector<std::size_t> left;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const bool editable = OrvTableFile::IsEditableRow(row, repeaterLayout);
        const std::size_t from = repeaterLayout && row == kLast ? kListedThere : row;
        if (editable) {
            table[row].frequency = plan[from].frequency;
            if (bandwidthEditable) {
                table[row].bandwidth = plan[from].bandwidth;
                table[row].direction = plan[from].direction;
            }
        }
        const ChannelPlanCsv::PlanChannel& wanted = plan[row];
        const bool taken = SameFrequency(table[row].frequency, wanted.frequency) &&
                           (wanted.frequency.empty() || (table[row].bandwidth == wanted.bandwidth &&
                                                         table[row].direction == wanted.direction));
        if (!taken) {
            left.push_back(row);
        }
    }
    return left;
}

std::string RowList(const std::vector<std::size_t>& rows, bool english) {
    std::string text = english ? (rows.size() == 1 ? "channel " : "channels ") : "频道 ";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            text += english ? (i + 1 == rows.size() ? " and " : ", ") : "、";
        }
        text += std::to_string(rows[i]);
    }
    return text;
}

PlanCheck::PlanInput PlanInputOf(const SettingsDocument& document) {
    const RadioSettings& s = document.settings;
    if (document.family == FAMILY_ORV) {
        return PlanCheck::OrvPlan(s.channels, OrvRepeaterLayoutOf(s), s.orvCurrentChannel);
    }
    const bool repeater = QxPageLogic::EnablingRule(s.qx.s186, s.qx.s101, s.qx.s141).repeater;
    return PlanCheck::QxPlan(s.channels, s.qx.s131, s.qx.s132, s.qx.s191, s.qx.s192, repeater);
}

std::string PlanCsvOf(const SettingsDocument& document) {
    return ChannelPlanCsv::Write(ChannelPlanCsv::PlanOf(document.settings.channels));
}

PlanImport ImportPlanCsv(const std::string& bytes, SettingsDocument& document) {
    PlanImport done;
    const ChannelPlanCsv::ReadResult read =
        ChannelPlanCsv::Read(bytes, PlanStepHz(document.family));
    if (!read.Ok()) {
        done.refused = read.errors;
        return done;
    }
    ChannelTable& table = document.settings.channels;
    if (document.family == FAMILY_ORV) {
        done.left = ApplyOrvPlan(read.plan, OrvRepeaterLayoutOf(document.settings), true, table);
    } else {
        ChannelPlanCsv::ApplyTo(read.plan, table);
    }
    PlanCheck::PlanInput check = PlanInputOf(document);
    for (std::size_t row = 0; row < table.size(); ++row) {
        check.lines[row] = read.plan[row].line;
    }
    done.findings = PlanCheck::Check(check);
    return done;
}

std::string PlanImportedText(const std::vector<std::size_t>& left,
                             const std::vector<PlanCheck::Finding>& findings, bool english) {
    std::string text;
    if (!left.empty()) {
        text += english
                    ? RowList(left, english) +
                          " left as they are: the layout does not show them, or the page "
                          "does not change their bandwidth and direction."
                    : RowList(left, english) + "保持不变：当前布局不显示它们，或页面不修改它们的"
                                               "带宽和方向。";
    }
    for (const PlanCheck::Severity severity :
         {PlanCheck::Severity::Error, PlanCheck::Severity::Advice}) {
        const std::string found = PlanCheck::ReportText(findings, severity, english);
        if (found.empty()) {
            continue;
        }
        const bool error = severity == PlanCheck::Severity::Error;
        text += std::string(text.empty() ? "" : "\n\n") +
                (english ? (error ? "Set will refuse this plan until these are put right:"
                                  : "Advice on the plan:")
                         : (error ? "以下问题改正之前，设置会拒绝这个计划：" : "对计划的建议：")) +
                "\n" + found;
    }
    if (text.empty()) {
        return text;
    }
    return (english ? "The plan was imported.\n\n" : "频道计划已导入。\n\n") + text;
}

std::string PlanErrorsText(const std::vector<PlanCheck::Finding>& findings, bool english) {
    const std::string found = PlanCheck::ReportText(findings, PlanCheck::Severity::Error, english);
    return found.empty() ? found
                         : (english ? "The channel plan cannot work; nothing was sent:\n"
                                    : "频道计划无法工作，没有发送任何内容：\n") +
                               found;
}

std::string PlanAdviceText(const std::vector<PlanCheck::Finding>& findings, bool english) {
    const std::string found = PlanCheck::ReportText(findings, PlanCheck::Severity::Advice, english);
    return found.empty() ? found
                         : (english ? "Advice on the channel plan (Set goes on):\n"
                                    : "对频道计划的建议（设置继续进行）：\n") +
                               found;
}

} // namespace Doc
