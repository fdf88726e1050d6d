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
// (an exported empty row) empties that row. Other lines of 28 characters or fewer, lines whose
// first field is not a row number 0-63 and lines without "KHz" after the frequency (no
// bandwidth the page knows; another family's file) change nothing. Otherwise the fields are split
// at blanks, the bandwidth runs up to and including "KHz" and the direction is the rest up to a
// CR.
std::optional<LineEffect> ParseLine(const std::string& line);

// Why a file is refused, in each language: a phrase without final punctuation.
struct Problem {
    std::string chinese;
    std::string english;

    const std::string& Text(bool inEnglish) const { return inEnglish ? english : chinese; }
    bool operator==(const Problem&) const = default;
};

// The most bytes a file may have, and the longest line: the export writes 64 lines of some 35
// characters from what a radio lists and the page's checks accept, and no list cell comes from
// the radio longer than its whole reply (4096 bytes).
inline constexpr std::size_t kMostFileBytes = 1 << 20;
inline constexpr std::size_t kLongestLine = 4096;

struct ImportReport {
    std::optional<Problem> refused; // set: the file was not applied, the rows are unchanged
    int imported = 0;               // lines that changed a row
    int skipped = 0;                // lines that did not: no channel line, or beyond the 64th
    std::size_t firstSkipped = 0;   // the first of them, counting from 1; 0 when none
};

// Applies a file to the list: at most its first 64 lines, up to the first empty one. Rows the
// file does not change keep their texts. A file is refused whole, leaving every row as it was,
// when it is empty, larger than kMostFileBytes, holds bytes that are not text or a line longer
// than kLongestLine, or when no line of it is a channel line. Otherwise every line that is no
// channel line, and every non-empty line after the import stopped, counts as skipped.
ImportReport ImportFile(const std::string& bytes, ListRows& rows);

// What the page says when it refuses a file: the list is unchanged, and why.
std::string RefusalMessage(const Problem& problem, bool english);

// What the page says after an import that skipped lines: how many, and the first one's number.
// Empty when none was skipped.
std::string SkippedMessage(const ImportReport& report, bool english);

} // namespace QxTableFile
