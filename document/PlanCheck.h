#pragma once
// The plan check: what in a channel table cannot work on the air (an error, which stops a Set)
// and what probably will not work well (advice, shown but not stopping anything). It looks at
// the table together with the slots that use it: which channels transmit and receive together,
// and which the radio uses now.

#include "exchange/RadioSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace PlanCheck {

enum class Severity { Error, Advice };

struct Finding {
    Severity severity = Severity::Error;
    int channel = -1; // the table row it is about
    int line = 0;     // that row's line in the file it came from; 0 when none
    std::string chinese;
    std::string english;

    // "line 12 (channel 5): …", "channel 5: …", in either language.
    std::string Text(bool english) const;
    bool operator==(const Finding&) const = default;
};

// Channels that one slot of the radio uses together.
struct Slot {
    int number = 0;                // as the page shows it
    std::vector<std::size_t> rows; // table rows
    // The repeater's receive and send rows, when the slot relays.
    int repeaterTx = -1;
    int repeaterRx = -1;
};

struct PlanInput {
    std::array<ChannelEntry, RadioSettings::kChannelRows> channels{}; // listing form
    std::array<int, RadioSettings::kChannelRows> lines{};             // file lines, 0 for none
    std::int64_t stepHz = 50;
    std::vector<Slot> channelSlots;
    std::vector<std::size_t> activeRows; // what the slot in use points to
    bool mirroredLastRow = false;        // row 63 must repeat row 61 (ORV repeater layout)
};

// An ORV table: 16 slots of four rows (the first two in the normal layout), the current one
// (1-16) in use.
PlanInput OrvPlan(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels,
                  bool repeaterLayout, int currentChannel);

// A QX table: the main channels, and the repeater channels when the page's repeater lists are
// in use (indexes as the lists hold them; -1 or anything outside 0-63 points nowhere).
PlanInput QxPlan(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels, int mainTx,
                 int mainRx, int repeaterTx, int repeaterRx, bool repeaterInUse);

// A table on its own, without slots: only what each channel is. Channels that no slot uses
// together may lie close: different sites use them.
PlanInput TableOnly(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels,
                    std::int64_t stepHz);

// Errors first, then advice; each group by channel.
std::vector<Finding> Check(const PlanInput& input);

bool HasErrors(const std::vector<Finding>& findings);

// The findings of one severity, one a line; empty when there are none.
std::string ReportText(const std::vector<Finding>& findings, Severity severity, bool english);

} // namespace PlanCheck
