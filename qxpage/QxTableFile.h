#pragma once
// The QX channel table file: 64 fixed-layout text lines, one per channel. The functions produce
// the file's bytes and apply a file's bytes to the list; opening, writing and protecting the
// file is the caller's.

#include "exchange/RadioSettings.h"

#include <array>
#include <optional>
#include <string>

namespace QxTableFile {

inline constexpr std::size_t kRows = 64;

// The list as the file sees it: per row, columns 1-3 in frequency, bandwidth and direction
// (the channel text is not used: row r is channel r).
using ListRows = std::array<ChannelEntry, kRows>;

// Row number, 7 blanks (rows 0-9) or 6, frequency, 2 blanks, bandwidth, 2 blanks, direction,
// CR CR LF; every row, an empty one as its number and blanks.
std::string EncodeFile(const ListRows& rows);

// What one line of a file does to the list.
struct LineEffect {
    std::size_t row = 0;
    std::string frequency;
    std::string bandwidth;
    std::string direction;

    bool operator==(const LineEffect&) const = default;
};

// One line, its LF and a CR before the LF already removed. A row number followed by blanks only
// (an exported empty row) empties that row. Other lines of 28 characters or fewer, and lines
// whose first field is not a row number 0-63, change nothing. Otherwise the fields are split at
// blanks, the bandwidth runs up to and including "KHz" (or is two characters without it) and the
// direction is the rest up to a CR.
std::optional<LineEffect> ParseLine(const std::string& line);

// Applies a file to the list: at most its first 64 lines, up to the first empty one. Rows the
// file does not change keep their texts. Returns the number of lines that changed a row.
int ImportFile(const std::string& bytes, ListRows& rows);

} // namespace QxTableFile
