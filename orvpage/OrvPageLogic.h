#pragma once
// The ORV settings page without its widgets: the frequency check, the mode and port-rate rules
// of the fill, and Set's preparation of a write. The page fills OrvSetInput from its controls,
// the command-line client from a settings document; both write the same plan.

#include "exchange/RadioSettings.h"
#include "exchange/WritePlan.h"
#include "settings/FrequencyText.h"
#include "settings/SetProblem.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OrvPageLogic {

inline constexpr std::int64_t kStepHz = 1250;
inline constexpr int kProtocols = 5;

// The list's frequency check: 410-480 MHz, whole 1250 Hz steps, at most ten characters.
FrequencyText::FrequencyVerdict ValidateFrequency(const std::string& text);

// The title of a column of the channel list (0: channel, 1-4: the four frequencies).
const char* ColumnTitle(int column, bool english);

// Where a table row's frequency shows on the page: "信道 3 发射频率" / "Channel 3 Tx Fre".
std::string CellPlace(std::size_t row, bool english);

// The frequency check of one cell as the editor and Set tell it: the check's message with the
// cell and its text under it. nullopt when the cell passes.
std::optional<SetProblem> CellProblem(std::size_t row, const std::string& text);

// In the repeater layout, channel 16's repeater receive cell (table row 63) is channel 61's
// frequency: the radio lists channel 61's texts in row 63 and slot 16 receives on channel 61.
// That cell shows row 61, is not edited, and Set programs row 63 with row 61's frequency.
inline constexpr std::size_t kMirroredRow = 63;
inline constexpr std::size_t kMirrorSource = 61;
bool IsMirroredRow(std::size_t row, bool repeaterLayout);
// Why that cell cannot be edited, for its tooltip.
const char* MirroredCellNote(bool english);

// The listing's bandwidth and direction texts as the radio's prompts take them. Empty gives "2";
// a text the radio does not list is returned unchanged.
std::string BandwidthCode(const std::string& listing);
std::string DirectionCode(const std::string& listing);

// A list's choice: an edit text marked "*" names the first item equal to the rest (item 0 when
// none is); otherwise the selection (-1 for none).
int ResolveListChoice(const std::string& editText, const std::vector<std::string>& items,
                      int selection);

// Number of items in the mode list of a protocol button (0 for a protocol outside 0..4).
int ModeCount(int protocol);

// The layout a protocol's mode asks for: true for the repeater layout, nullopt when the mode
// leaves the layout as it is (no choice, or an index the list does not have).
std::optional<bool> RepeaterLayoutOf(int protocol, int modeIndex);

// What the page shows for the registers read from a radio.
struct ModeOnPage {
    bool unknownProtocol = false;       // "unknown protocol detected" shown checked
    int protocol = -1;                  // the protocol button checked, -1 for none
    int modeIndex = -1;                 // the item shown with the mark in that protocol's list
    std::optional<bool> repeaterLayout; // nullopt: the layout stays as it was
    bool addressEnabled = false; // S186 0, 1 or 4: address field and close-address box enabled

    bool operator==(const ModeOnPage&) const = default;
};
ModeOnPage ModeFromRegisters(const OrvRegisters& registers);

// The item of the port-rate list for a port-rate code (code 9, 4800, is item 8); -1 for a code
// no item stands for (8, or anything beyond 9).
int PortRateItem(int code);

// What Set works from, as the page holds it at the press of the button.
struct OrvSetInput {
    std::array<ChannelEntry, RadioSettings::kChannelRows> channels{}; // as the radio listed them
    // The list's frequency cells by table row: list row r shows rows 4r..4r + 3 in columns 1-4.
    // Only the rows the layout edits are read (row 63 of the repeater layout as row 61).
    std::array<std::string, RadioSettings::kChannelRows> cells{};
    bool repeaterLayout = false;
    int protocol = -1;  // checked protocol button, 0..4
    int modeIndex = -1; // resolved choice of that protocol's mode list
    std::string address;
    int closeAddress = 0;
    int currentChannel = 0; // RadioSettings.orvCurrentChannel, 1..16
    int portRateIndex = -1; // resolved choice of the port-rate list, 0..8
    // The QX page's power was edited during this run and that page still exists.
    bool qxPowerEdited = false;
    int qxPowerIndex = -1;
};

struct OrvSetPreparation {
    std::array<ChannelEntry, RadioSettings::kChannelRows> working{}; // answer form, every row
    OrvWritePlan plan;
    std::vector<SetProblem> problems; // in list order, then preset, rate, slot, address, power

    bool Writable() const { return problems.empty(); }
};

// Builds the working table and the write plan, and checks everything the write will send: every
// edited cell (a cell reading as zero deletes its channel without a message; each bad cell is
// named with its text), the bandwidth and
// direction of the programmed rows, the preset, the port rate, the current channel, the address
// and the QX power. Nothing may be sent unless the result is Writable().
OrvSetPreparation PrepareSet(const OrvSetInput& input);

} // namespace OrvPageLogic
