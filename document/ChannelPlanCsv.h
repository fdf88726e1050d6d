#pragma once
// A channel plan as a spreadsheet keeps it: one CSV line per channel, columns found by their
// header name. The same format serves both families; only the frequency step differs. Bytes in,
// a plan or every line's error out, and back; opening and writing files is the caller's.

#include "exchange/RadioSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ChannelPlanCsv {

inline constexpr std::size_t kChannels = RadioSettings::kChannelRows;
inline constexpr std::int64_t kLowestHz = 410000000;
inline constexpr std::int64_t kHighestHz = 480000000;

// One channel in the listing form the pages hold ("433.125000", "25   KHz", "Rx&Tx"; all three
// empty for a channel not in use), with the planner's name and comment, which never reach the
// radio.
struct PlanChannel {
    std::string frequency;
    std::string bandwidth;
    std::string direction;
    std::string name;
    std::string comment;
    int line = 0; // the file's line it came from (1 = the first); 0 when the file did not list it

    bool operator==(const PlanChannel&) const = default;
};
using Plan = std::array<PlanChannel, kChannels>; // index = channel number

// One thing wrong with a file, on its line (0 for the file as a whole).
struct LineError {
    int line = 0;
    std::string chinese;
    std::string english;

    // "line 12: …" / "第 12 行：…"
    std::string Text(bool english) const;
    bool operator==(const LineError&) const = default;
};

struct ReadResult {
    Plan plan{};                   // only meaningful when errors is empty
    std::vector<LineError> errors; // in line order
    bool Ok() const { return errors.empty(); }
};

// Reads a plan. UTF-8 with or without BOM; comma, semicolon or tab between fields (the header
// decides; a first line "sep=;" too); CRLF or LF; fields may be quoted, with "" for a quote and
// line breaks inside. Lines starting with '#' and lines with nothing in them are skipped.
// Columns: channel (0-63), frequency_mhz ("433.125" or "433.125000"; empty: no channel),
// bandwidth_khz (6.25, 12.5, 25), direction (Rx, Tx, Rx&Tx; Tx&Rx taken as Rx&Tx), and optional
// name and comment. Frequencies must lie in 410-480 MHz on whole multiples of stepHz. A channel
// the file does not list is not in use. Every error is collected; the plan is usable only
// without any.
ReadResult Read(const std::string& bytes, std::int64_t stepHz);

// The plan as CSV: UTF-8 with a BOM (so that spreadsheets take the names as UTF-8), comma
// separated, CRLF, a header and all 64 channels. Texts that are not in the listing form are
// written as they are, so that nothing the page holds is lost (a later Read reports them).
std::string Write(const Plan& plan);

// The plan of a table in listing form (names and comments empty), and a plan's texts put back
// into one (names and comments are not part of a table).
Plan PlanOf(const std::array<ChannelEntry, kChannels>& channels);
void ApplyTo(const Plan& plan, std::array<ChannelEntry, kChannels>& channels);

// The bandwidth of a listing text in hertz (6250, 12500, 25000); 0 for any other text.
std::int64_t BandwidthHz(const std::string& listing);

// What the pages say when a file is refused: that nothing was imported, then every error.
std::string RefusalText(const std::vector<LineError>& errors, bool english);

} // namespace ChannelPlanCsv
