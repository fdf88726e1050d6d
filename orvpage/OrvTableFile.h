#pragma once
// The ORV channel table file: a 328-byte record (magic "941m", 64 entries of index byte and
// frequency in hertz, a checksum) written as hexadecimal text. The functions produce and read
// the file's bytes; opening, writing and protecting the file is the caller's.

#include "exchange/RadioSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace OrvTableFile {

inline constexpr std::size_t kRecordSize = 328;
inline constexpr std::size_t kEntries = 64;
inline constexpr std::size_t kFileSize = 1044; // 20 lines of 48 + CR CR LF, then 24 characters

using Record = std::array<std::uint8_t, kRecordSize>;
using Frequencies = std::array<std::int32_t, kEntries>; // hertz, 0 for an empty entry

// The record's checksum: reflected CRC-32 (0xEDB88320) starting from 0, without final inversion.
std::uint32_t Checksum(const std::uint8_t* bytes, std::size_t count);

// Magic, the 64 entries (index j, then the frequency least significant byte first), checksum.
Record BuildRecord(const Frequencies& hertz);

// The bytes of the file: "%02x " per byte, CR CR LF after every 16th byte, none after the last.
std::string RecordText(const Record& record);

// BuildRecord then RecordText.
std::string EncodeFile(const Frequencies& hertz);

// The 64 frequencies an export writes: every row's listed frequency, replaced by the list's cells
// where the layout shows them (rows 4r and 4r + 1, and in the repeater layout 4r + 2 and 4r + 3
// as well). cells is indexed by table row. A value no 32-bit field holds is saturated.
Frequencies ExportFrequencies(const std::array<ChannelEntry, kEntries>& channels,
                              const std::array<std::string, kEntries>& cells, bool repeaterLayout);

// Reads a file's bytes back into a record: lines up to an empty one or the end, the first 48
// characters of lines 1-20 and 25 of later ones, then two characters at every third offset as
// one byte. Missing or non-hexadecimal characters count as 0; magic, indexes and checksum are
// not checked (ReadFile checks them).
Record DecodeFile(const std::string& bytes);

// Why a file is refused, in each language: a phrase without final punctuation.
struct Problem {
    std::string chinese;
    std::string english;

    const std::string& Text(bool inEnglish) const { return inEnglish ? english : chinese; }
    bool operator==(const Problem&) const = default;
};

// The most bytes a table file may have: the export's 1044 leave room for other line ends and
// for anything after a line's counted characters, which the reading rules pass over.
inline constexpr std::size_t kMostFileBytes = 2 * kFileSize;

struct ReadResult {
    Record record{};
    std::optional<Problem> problem; // set: the file is refused and record means nothing
};

// A file as an import takes it: DecodeFile's record, once the file has been found to be one.
// Refused are a file that is empty, larger than kMostFileBytes or holds bytes that are not
// text; one that does not begin with the magic (another family's file, anything else); one cut
// short of the record's 328 bytes; one whose record holds a character that is not a hexadecimal
// digit, an index byte other than its entry's number, or a checksum other than its content's.
// Every file the export writes is read back whole.
ReadResult ReadFile(const std::string& bytes);

// What the page says when it refuses a file: the table is unchanged, and why.
std::string RefusalMessage(const Problem& problem, bool english);

// The entries' frequencies as the list shows an imported one: the decimal digits with "." after
// the third character (410000000 gives "410.000000", 0 gives "0.").
std::array<std::string, kEntries> EntryTexts(const Record& record);

// An import into the list's cells (indexed by table row): the entries of the rows the layout
// shows replace their cells; the others are left as they are. In the repeater layout row 63 takes
// entry 61: the radio lists channel 61 there and the last slot receives on channel 61.
void ImportIntoCells(const Record& record, bool repeaterLayout,
                     std::array<std::string, kEntries>& cells);

// The table rows the list shows (and an import fills) in a layout, and the rows it edits (and
// Set writes).
bool IsShownRow(std::size_t row, bool repeaterLayout);
bool IsEditableRow(std::size_t row, bool repeaterLayout);

} // namespace OrvTableFile
