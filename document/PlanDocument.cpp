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

} // namespace Doc
