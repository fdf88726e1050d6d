#include "orvpage/OrvTableFile.h"

#include "settings/FrequencyText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace OrvTableFile {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x39, 0x34, 0x31, 0x6D}; // "941m"
constexpr std::size_t kChecksumOffset = 324;
constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kFullLines = 20;
constexpr std::size_t kFullLineKept = 48;
constexpr std::size_t kLaterLineKept = 25;
constexpr std::size_t kListedInLastRow = 61;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t value = n;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        }
        table[n] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::size_t EntryOffset(std::size_t j) {
    return 4 + 5 * j;
}

std::optional<int> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

std::string Formatted(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// The text the record is decoded from: lines up to an empty one or the end, the first 48
// characters of lines 1-20 and 25 of later ones. lineStarts, if given, receives where each
// line's characters begin in it.
std::string CountedText(const std::string& bytes, std::vector<std::size_t>* lineStarts) {
    std::string text;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t stop = lf == std::string::npos ? bytes.size() : lf;
        std::size_t length = stop - start;
        // A text-mode read turns CR LF into LF: one CR before the LF goes with it.
        if (lf != std::string::npos && length > 0 && bytes[stop - 1] == '\r') {
            --length;
        }
        if (length == 0) {
            break;
        }
        ++lineNumber;
        if (lineStarts != nullptr) {
            lineStarts->push_back(text.size());
        }
        const std::size_t kept = lineNumber <= kFullLines ? kFullLineKept : kLaterLineKept;
        text.append(bytes, start, std::min(length, kept));
        start = lf == std::string::npos ? bytes.size() : lf + 1;
    }
    return text;
}

// Bytes no text file holds: control characters other than the white space of line ends and
// tabs. Random or binary data has them almost at once.
bool IsText(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x20 && byte != 0x7F) || c == '\t' || c == '\r' || c == '\n';
}

// What makes the file's bytes no record: everything that can be told before decoding it.
std::optional<Problem> RecordProblem(const std::string& bytes) {
    if (bytes.empty()) {
        return Problem{"文件是空的", "the file is empty"};
    }
    if (bytes.size() > kMostFileBytes) {
        return Problem{Formatted("文件大于任何频率表文件（超过 %zu 字节）", kMostFileBytes),
                       Formatted("the file is larger than any channel table file (more than %zu "
                                 "bytes)",
                                 kMostFileBytes)};
    }
    if (const auto bad = std::find_if_not(bytes.begin(), bytes.end(), IsText); bad != bytes.end()) {
        const auto line = 1 + std::count(bytes.begin(), bad, '\n');
        return Problem{Formatted("第 %td 行含有不是文本的字节", line),
                       Formatted("line %td holds bytes that are not text", line)};
    }
    std::vector<std::size_t> lineStarts;
    const std::string text = CountedText(bytes, &lineStarts);
    const auto lineOf = [&lineStarts](std::size_t at) {
        return std::upper_bound(lineStarts.begin(), lineStarts.end(), at) - lineStarts.begin();
    };
    // The magic first: a file of another kind is named as that, not by its first odd digit.
    static constexpr std::string_view kMagicText = "39 34 31 6d";
    for (std::size_t at = 0; at < kMagicText.size() && at < text.size(); ++at) {
        if (kMagicText[at] != ' ' &&
            std::tolower(static_cast<unsigned char>(text[at])) != kMagicText[at]) {
            return Problem{"这不是 ORV 频率表文件：开头不是 39 34 31 6d",
                           "it is not an ORV channel table file: it does not begin with "
                           "39 34 31 6d"};
        }
    }
    // The last byte's blank may be gone (an editor that trims lines); its digits may not.
    if (text.size() < 3 * kRecordSize - 1) {
        return Problem{Formatted("文件不完整：只有频率表 %zu 字节中的 %zu 字节", kRecordSize,
                                 (text.size() + 1) / 3),
                       Formatted("the file is cut short: it holds %zu of the table's %zu bytes",
                                 (text.size() + 1) / 3, kRecordSize)};
    }
    for (std::size_t k = 0; k < kRecordSize; ++k) {
        const std::size_t at = 3 * k;
        if (!HexValue(text[at]) || !HexValue(text[at + 1])) {
            const std::string shown = text.substr(at, 2);
            return Problem{
                Formatted("第 %td 行：“%s”不是十六进制字节", lineOf(at), shown.c_str()),
                Formatted("line %td: \"%s\" is not a hexadecimal byte", lineOf(at), shown.c_str())};
        }
    }
    return std::nullopt;
}

// What makes a decoded record no table the export wrote: an index out of place, a checksum
// that does not match.
std::optional<Problem> ContentProblem(const Record& record) {
    for (std::size_t j = 0; j < kEntries; ++j) {
        if (record[EntryOffset(j)] != j) {
            const unsigned index = record[EntryOffset(j)];
            return Problem{
                Formatted("第 %zu 项的序号字节是 %u，应为 %zu", j, index, j),
                Formatted("entry %zu has the index byte %u instead of %zu", j, index, j)};
        }
    }
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        stored |= static_cast<std::uint32_t>(record[kChecksumOffset + i]) << (8 * i);
    }
    const std::uint32_t computed = Checksum(record.data(), kChecksumOffset);
    if (stored != computed) {
        return Problem{
            Formatted("校验和与内容不符（文件中为 %08x，按内容应为 %08x），文件已被改动或损坏",
                      stored, computed),
            Formatted("the checksum does not match the content (the file says %08x, the "
                      "content gives %08x): the file was changed or damaged",
                      stored, computed)};
    }
    return std::nullopt;
}

std::int32_t Saturated(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void PutLittleEndian(Record& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

std::uint32_t Checksum(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value >> 8) ^ kCrcTable[(bytes[i] ^ value) & 0xFF];
    }
    return value;
}

Record BuildRecord(const Frequencies& hertz) {
    Record record{};
    std::copy(kMagic.begin(), kMagic.end(), record.begin());
    for (std::size_t j = 0; j < kEntries; ++j) {
        record[EntryOffset(j)] = static_cast<std::uint8_t>(j);
        PutLittleEndian(record, EntryOffset(j) + 1, static_cast<std::uint32_t>(hertz[j]));
    }
    PutLittleEndian(record, kChecksumOffset, Checksum(record.data(), kChecksumOffset));
    return record;
}

std::string RecordText(const Record& record) {
    std::string text;
    text.reserve(kFileSize);
    for (std::size_t k = 0; k < kRecordSize; ++k) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", record[k]);
        text += hex;
        // The file's line end is CR CR LF: the record's "\r\n" as a text-mode file stores it.
        if ((k + 1) % kBytesPerLine == 0) {
            text += "\r\r\n";
        }
    }
    return text;
}

std::string EncodeFile(const Frequencies& hertz) {
    return RecordText(BuildRecord(hertz));
}

Frequencies ExportFrequencies(const std::array<ChannelEntry, kEntries>& channels,
                              const std::array<std::string, kEntries>& cells, bool repeaterLayout) {
    Frequencies hertz{};
    for (std::size_t j = 0; j < kEntries; ++j) {
        const std::string& text = IsShownRow(j, repeaterLayout) ? cells[j] : channels[j].frequency;
        hertz[j] = Saturated(FrequencyText::HertzFromText(text));
    }
    return hertz;
}

Record DecodeFile(const std::string& bytes) {
    const std::string text = CountedText(bytes, nullptr);
    Record record{};
    for (std::size_t k = 0; k < kRecordSize; ++k) {
        const std::size_t at = 3 * k;
        const int high = at < text.size() ? HexValue(text[at]).value_or(0) : 0;
        const int low = at + 1 < text.size() ? HexValue(text[at + 1]).value_or(0) : 0;
        record[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return record;
}

ReadResult ReadFile(const std::string& bytes) {
    ReadResult result;
    result.problem = RecordProblem(bytes);
    if (!result.problem) {
        result.record = DecodeFile(bytes);
        result.problem = ContentProblem(result.record);
    }
    return result;
}

std::string RefusalMessage(const Problem& problem, bool english) {
    return english ? "The channel table file was not imported; the table is unchanged: " +
                         problem.english + "."
                   : "频率表文件未导入，频率表没有改变：" + problem.chinese + "。";
}

std::array<std::string, kEntries> EntryTexts(const Record& record) {
    std::array<std::string, kEntries> texts;
    for (std::size_t j = 0; j < kEntries; ++j) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(record[EntryOffset(j) + 1 + i]) << (8 * i);
        }
        const std::string digits = std::to_string(static_cast<std::int32_t>(value));
        const std::size_t point = std::min<std::size_t>(3, digits.size());
        texts[j] = digits.substr(0, point) + "." + digits.substr(point);
    }
    return texts;
}

void ImportIntoCells(const Record& record, bool repeaterLayout,
                     std::array<std::string, kEntries>& cells) {
    const std::array<std::string, kEntries> texts = EntryTexts(record);
    for (std::size_t j = 0; j < kEntries; ++j) {
        if (IsShownRow(j, repeaterLayout)) {
            cells[j] = texts[j];
        }
    }
    if (repeaterLayout) {
        cells[kEntries - 1] = texts[kListedInLastRow];
    }
}

bool IsShownRow(std::size_t row, bool repeaterLayout) {
    return repeaterLayout || row % 4 < 2;
}

bool IsEditableRow(std::size_t row, bool repeaterLayout) {
    return repeaterLayout ? row % 4 >= 2 : row % 4 < 2;
}

} // namespace OrvTableFile
