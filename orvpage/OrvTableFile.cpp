#include "orvpage/OrvTableFile.h"

#include "orvpage/FrequencyText.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace OrvTableFile {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x39, 0x34, 0x31, 0x6D}; // "941m"
constexpr std::size_t kChecksumOffset = 324;
constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kFullLines = 20;
constexpr std::size_t kFullLineKept = 48;
constexpr std::size_t kLaterLineKept = 25;

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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 0;
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
        const std::size_t kept = lineNumber <= kFullLines ? kFullLineKept : kLaterLineKept;
        text.append(bytes, start, std::min(length, kept));
        start = lf == std::string::npos ? bytes.size() : lf + 1;
    }

    Record record{};
    for (std::size_t k = 0; k < kRecordSize; ++k) {
        const std::size_t at = 3 * k;
        const int high = at < text.size() ? HexDigit(text[at]) : 0;
        const int low = at + 1 < text.size() ? HexDigit(text[at + 1]) : 0;
        record[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return record;
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
}

bool IsShownRow(std::size_t row, bool repeaterLayout) {
    return repeaterLayout || row % 4 < 2;
}

bool IsEditableRow(std::size_t row, bool repeaterLayout) {
    return repeaterLayout ? row % 4 >= 2 : row % 4 < 2;
}

} // namespace OrvTableFile
