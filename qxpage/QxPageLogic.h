#pragma once
// The QX settings page without its widgets: the frequency check and Set's preparation of a
// write. The page fills QxSetInput from its list and value members, the command-line client
// from a settings document; both write the same plan.

#include "exchange/RadioSettings.h"
#include "exchange/WritePlan.h"
#include "qxpage/QxTableFile.h"
#include "settings/FrequencyText.h"
#include "settings/SetProblem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QxPageLogic {

inline constexpr std::int64_t kStepHz = 50;

// The list's frequency check: 410-480 MHz, whole 50 Hz steps, at most ten characters. Its
// messages are FrequencyText::FrequencyMessage.
FrequencyText::FrequencyVerdict ValidateFrequency(const std::string& text);

// Where a channel's frequency shows on the page: "信道 5 频率" / "Channel 5 Frequency".
std::string CellPlace(std::size_t row, bool english);

// The frequency check of one row's cell as the editor and Set tell it: the check's message with
// the cell and its text under it. nullopt when the cell passes.
std::optional<SetProblem> CellProblem(std::size_t row, const std::string& text);

// The page's value members: list indexes (-1 for no selection) and the unit address.
struct QxPageValues {
    int protocolIndex = -1;
    int workModeIndex = -1;
    int modulationIndex = -1;
    int airRateIndex = -1;
    int bandwidthIndex = -1;
    int mainTxIndex = -1;
    int mainRxIndex = -1;
    int repeaterTxIndex = -1;
    int repeaterRxIndex = -1;
    int unitAddress = 0;
    int powerIndex = -1; // S108 - 20
    int fecIndex = -1;
    int portRateIndex = -1;
    int dataFormatIndex = -1; // S110 - 1

    bool operator==(const QxPageValues&) const = default;
};

// The members a fill gives the page for the registers read (index = value, power S108 - 20,
// data format S110 - 1; a value without an item is kept: see QxSetInput).
QxPageValues ValuesFromRegisters(const QxRegisters& registers);

// Which of the work-mode list and the two repeater channel lists the page enables for a
// protocol, a work mode and S141 as read (the main channel lists are always enabled).
struct QxEnabling {
    bool workMode = false;
    bool repeater = true;

    bool operator==(const QxEnabling&) const = default;
};
QxEnabling EnablingRule(int protocol, int workMode, int s141);
// The registers whose lists the rule disables for the registers read, as a fill leaves them.
std::vector<int> DisabledByRule(const QxRegisters& read);

struct QxSetInput {
    QxTableFile::ListRows rows{}; // the list's columns 1-3; row r is channel r
    QxPageValues values;
    int s141 = 0; // as read from the radio: the transparent protocol's preset
    // What the radio reported, and the registers whose lists are disabled: a disabled list
    // without a selection writes the value read back unchanged (the user could not choose one).
    QxRegisters read{};
    std::vector<int> disabledRegisters;
};

struct QxSetPreparation {
    QxWritePlan plan;
    std::vector<SetProblem> problems; // rows in order, then the preset, then the registers

    bool Writable() const { return problems.empty(); }
};

// All 64 rows: a complete row (frequency, bandwidth and direction all given) in answer form,
// any other row, and a row whose frequency reads as zero, as deleted ("0", "0", "0"). Checks
// every complete row's frequency, bandwidth and direction, the preset and every register value
// against its list (an enabled list without a selection is named). Nothing may be sent unless
// the result is Writable().
QxSetPreparation PrepareSet(const QxSetInput& input);

} // namespace QxPageLogic
