#include "document/PlanCheck.h"

#include "document/ChannelPlanCsv.h"
#include "orvpage/FrequencyText.h"

#include <algorithm>
#include <set>
#include <utility>

namespace PlanCheck {
namespace {

constexpr std::int64_t kOrvStepHz = 1250;
constexpr std::int64_t kQxStepHz = 50;

bool InUse(const ChannelEntry& row) {
    return !row.frequency.empty() && !FrequencyText::ReadsAsZero(row.frequency);
}

// 12500 as "12.5", 6250 as "6.25", 5000 as "5".
std::string KhzText(std::int64_t hz) {
    std::string text = std::to_string(hz / 1000);
    if (hz % 1000 != 0) {
        std::string fraction = std::to_string(hz % 1000 + 1000).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        text += "." + fraction;
    }
    return text;
}

std::string Number(std::size_t n) {
    return std::to_string(n);
}

class CChecker {
public:
    explicit CChecker(const PlanInput& input) : m_in(input) {}

    std::vector<Finding> Run() {
        for (std::size_t row = 0; row < m_in.channels.size(); ++row) {
            ChannelItself(row);
        }
        ActiveRows();
        if (m_in.mirroredLastRow) {
            MirroredRow();
        }
        for (const Slot& slot : m_in.channelSlots) {
            SlotPairs(slot);
        }
        std::stable_sort(m_found.begin(), m_found.end(), [](const Finding& a, const Finding& b) {
            return std::pair(a.severity, a.channel) < std::pair(b.severity, b.channel);
        });
        return m_found;
    }

private:
    void Add(Severity severity, std::size_t row, std::string chinese, std::string english) {
        const int line = m_in.lines[row];
        m_found.push_back(
            {severity, static_cast<int>(row), line, std::move(chinese), std::move(english)});
    }

    const ChannelEntry& Row(std::size_t row) const { return m_in.channels[row]; }
    std::int64_t Hz(std::size_t row) const {
        return FrequencyText::HertzFromText(Row(row).frequency);
    }

    void ChannelItself(std::size_t row) {
        if (!InUse(Row(row))) {
            return;
        }
        const std::string& text = Row(row).frequency;
        switch (FrequencyText::CheckFrequency(text, m_in.stepHz).fault) {
        case FrequencyText::FrequencyFault::None:
            break;
        case FrequencyText::FrequencyFault::Range:
            Add(Severity::Error, row, text + " MHz 超出 410–480 MHz 范围",
                text + " MHz is outside 410–480 MHz");
            return;
        case FrequencyText::FrequencyFault::Step:
            Add(Severity::Error, row,
                text + " MHz 不在 " + std::to_string(m_in.stepHz) + " Hz 的步进上",
                text + " MHz is not on a whole " + std::to_string(m_in.stepHz) + " Hz step");
            return;
        case FrequencyText::FrequencyFault::Form:
            Add(Severity::Error, row, "“" + text + "”不是频率",
                "\"" + text + "\" is not a frequency");
            return;
        }
    }

    void ActiveRows() {
        // A slot may send and receive on one channel: it is told once.
        const std::set<std::size_t> rows(m_in.activeRows.begin(), m_in.activeRows.end());
        for (const std::size_t row : rows) {
            if (row < m_in.channels.size() && !InUse(Row(row))) {
                Add(Severity::Error, row, "正在使用的信道指向这个频道，但它是空的",
                    "the slot in use points to this channel, but it is empty");
            }
        }
    }

    void MirroredRow() {
        constexpr std::size_t kLast = 63;
        constexpr std::size_t kSource = 61;
        const ChannelEntry& last = Row(kLast);
        const ChannelEntry& source = Row(kSource);
        if (last.frequency != source.frequency || last.bandwidth != source.bandwidth ||
            last.direction != source.direction) {
            Add(Severity::Error, kLast,
                "中继布局下频道 63 就是频道 61（最后一个信道在频道 61 上接收），两者必须相同",
                "in the repeater layout channel 63 is channel 61 (the last slot receives on "
                "channel 61); the two must be the same");
        }
    }

    void SlotPairs(const Slot& slot) {
        for (std::size_t i = 0; i < slot.rows.size(); ++i) {
            for (std::size_t k = i + 1; k < slot.rows.size(); ++k) {
                Pair(slot, slot.rows[i], slot.rows[k]);
            }
        }
    }

    void Pair(const Slot& slot, std::size_t a, std::size_t b) {
        if (a == b || !InUse(Row(a)) || !InUse(Row(b)) || !m_pairs.insert({a, b}).second) {
            return;
        }
        const std::int64_t bwA = ChannelPlanCsv::BandwidthHz(Row(a).bandwidth);
        const std::int64_t bwB = ChannelPlanCsv::BandwidthHz(Row(b).bandwidth);
        const std::string with = Number(a);
        const std::string in = Number(static_cast<std::size_t>(slot.number));
        if (Hz(a) == Hz(b)) {
            if (bwA != bwB) {
                Add(Severity::Error, b,
                    "与频道 " + with + " 同在信道 " + in + "、频率相同，带宽却不同：两端互相听不清",
                    "same frequency as channel " + with + " in slot " + in +
                        " but another bandwidth: the two ends cannot hear each other cleanly");
            } else if (static_cast<int>(a) == slot.repeaterTx &&
                       static_cast<int>(b) == slot.repeaterRx) {
                Add(Severity::Advice, b,
                    "信道 " + in + " 的中继在同一频率上收发（频道 " + with +
                        "），只有存储转发才能工作",
                    "slot " + in + "'s repeater sends and receives on one frequency (channel " +
                        with + "): that works only store-and-forward");
            }
            return;
        }
        Spacing(a, b);
    }

    // Two channels whose bands overlap disturb each other.
    void Spacing(std::size_t a, std::size_t b) {
        const std::int64_t bwA = ChannelPlanCsv::BandwidthHz(Row(a).bandwidth);
        const std::int64_t bwB = ChannelPlanCsv::BandwidthHz(Row(b).bandwidth);
        const std::int64_t spacing = Hz(a) > Hz(b) ? Hz(a) - Hz(b) : Hz(b) - Hz(a);
        if (bwA == 0 || bwB == 0 || spacing == 0 || 2 * spacing >= bwA + bwB) {
            return;
        }
        const std::string khz = KhzText(spacing);
        Add(Severity::Advice, b,
            "与频道 " + Number(a) + " 只相隔 " + khz + " kHz，比带宽窄，会互相干扰",
            "only " + khz + " kHz from channel " + Number(a) +
                ", narrower than the bandwidth: the two disturb each other");
    }

    const PlanInput& m_in;
    std::vector<Finding> m_found;
    std::set<std::pair<std::size_t, std::size_t>> m_pairs;
};

} // namespace

std::string Finding::Text(bool inEnglish) const {
    const std::string where =
        line != 0
            ? (inEnglish
                   ? "line " + std::to_string(line) + " (channel " + std::to_string(channel) + "): "
                   : "第 " + std::to_string(line) + " 行（频道 " + std::to_string(channel) + "）：")
            : (inEnglish ? "channel " + std::to_string(channel) + ": "
                         : "频道 " + std::to_string(channel) + "：");
    return where + (inEnglish ? english : chinese);
}

PlanInput OrvPlan(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels,
                  bool repeaterLayout, int currentChannel) {
    PlanInput in;
    in.channels = channels;
    in.stepHz = kOrvStepHz;
    in.mirroredLastRow = repeaterLayout;
    for (std::size_t r = 0; r < 16; ++r) {
        Slot slot;
        slot.number = static_cast<int>(r + 1);
        slot.rows = {4 * r, 4 * r + 1};
        if (repeaterLayout) {
            slot.rows.push_back(4 * r + 2);
            slot.rows.push_back(4 * r + 3);
            slot.repeaterTx = static_cast<int>(4 * r + 2);
            slot.repeaterRx = static_cast<int>(4 * r + 3);
        }
        if (slot.number == currentChannel) {
            in.activeRows = slot.rows;
        }
        in.channelSlots.push_back(slot);
    }
    return in;
}

PlanInput QxPlan(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels, int mainTx,
                 int mainRx, int repeaterTx, int repeaterRx, bool repeaterInUse) {
    PlanInput in;
    in.channels = channels;
    in.stepHz = kQxStepHz;
    const auto valid = [](int index) { return index >= 0 && index < RadioSettings::kChannelRows; };
    Slot main;
    main.number = 1;
    for (const int index : {mainTx, mainRx}) {
        if (valid(index)) {
            main.rows.push_back(static_cast<std::size_t>(index));
        }
    }
    in.activeRows = main.rows;
    if (repeaterInUse) {
        Slot repeater;
        repeater.number = 2;
        for (const int index : {repeaterTx, repeaterRx}) {
            if (valid(index)) {
                repeater.rows.push_back(static_cast<std::size_t>(index));
                in.activeRows.push_back(static_cast<std::size_t>(index));
            }
        }
        repeater.repeaterTx = repeaterTx;
        repeater.repeaterRx = repeaterRx;
        in.channelSlots.push_back(repeater);
    }
    in.channelSlots.insert(in.channelSlots.begin(), main);
    return in;
}

PlanInput TableOnly(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels,
                    std::int64_t stepHz) {
    PlanInput in;
    in.channels = channels;
    in.stepHz = stepHz;
    return in;
}

std::vector<Finding> Check(const PlanInput& input) {
    return CChecker(input).Run();
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity == Severity::Error; });
}

std::string ReportText(const std::vector<Finding>& findings, Severity severity, bool english) {
    std::string text;
    for (const Finding& finding : findings) {
        if (finding.severity == severity) {
            text += (text.empty() ? "" : "\n") + finding.Text(english);
        }
    }
    return text;
}

} // namespace PlanCheck
