// The channel listing: the reply to "ATP0?\r". After a dashed header line and a blank line the
// radio prints one line per channel: its number, the frequency from column 20, the bandwidth
// from column 38 and the direction from column 51.

#include "exchange/PowerOnReport.h"
#include "exchange/RadioExchange.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr int kMaxLines = RadioSettings::kChannelRows;
constexpr int kClosingBytes = 6; // "\r\nOK\r\n", never read
constexpr std::size_t kFrequencyColumn = 20;
constexpr std::size_t kFrequencyWidth = 10;
constexpr std::size_t kBandwidthColumn = 38;
constexpr std::size_t kBandwidthWidth = 8;
constexpr std::size_t kDirectionColumn = 51;
constexpr int kOrvEchoedChannel = 63;

using ListingLines = std::array<std::string, kMaxLines>;

// "--" ending the dashed header line, then "\r\n\r\n" (its line end and the blank line).
bool IsMarkerAt(const unsigned char* bytes, int count, int p) {
    return p + 4 < count && bytes[p - 1] == '-' && bytes[p] == '-' && bytes[p + 1] == '\r' &&
           bytes[p + 2] == '\n' && bytes[p + 3] == '\r' && bytes[p + 4] == '\n';
}

// Up to n characters from a column; a column past the end of the line yields "".
std::string Mid(const std::string& line, std::size_t column, std::size_t n = std::string::npos) {
    return column >= line.size() ? std::string() : line.substr(column, n);
}

ChannelEntry RowFromLine(const std::string& line, std::string channel) {
    return ChannelEntry{std::move(channel), Mid(line, kFrequencyColumn, kFrequencyWidth),
                        Mid(line, kBandwidthColumn, kBandwidthWidth), Mid(line, kDirectionColumn)};
}

// The radio prints its listing in plain ASCII; anything else is line noise, and taking it in
// would put it into the channel table (and back into the radio with the next write).
bool PlainText(const unsigned char* bytes, int count) {
    return std::all_of(bytes, bytes + count, [](unsigned char b) {
        return (b >= 0x20 && b <= 0x7E) || b == '\r' || b == '\n';
    });
}

bool IsChannelNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void ApplyLines(const ListingLines& lines, int lineCount, int family, RadioSettings& settings) {
    for (int j = 0; j < lineCount; ++j) {
        const std::string& line = lines[static_cast<std::size_t>(j)];
        const std::size_t blank = line.find(' ');
        // Only a line that starts with a channel number and a blank names a channel: an empty
        // line, or one that starts otherwise, must not overwrite row 0.
        std::string number = blank == std::string::npos ? std::string() : line.substr(0, blank);
        if (!IsChannelNumber(number)) {
            continue;
        }
        const int channel = DecimalValue(number);
        if (channel >= RadioSettings::kChannelRows) {
            continue;
        }
        ChannelEntry& row = settings.channels[static_cast<std::size_t>(channel)];
        // The ORV radio's row 63 repeats the line two places before it. On the first two lines
        // there is no such line, and the row is taken from its own line.
        if (family == FAMILY_ORV && channel == kOrvEchoedChannel && j >= 2) {
            const std::string& source = lines[static_cast<std::size_t>(j - 2)];
            row = RowFromLine(source, Mid(source, 0, blank));
        } else {
            row = RowFromLine(line, std::move(number));
        }
    }
}

} // namespace

bool CRadioExchange::ParseChannelListing(const unsigned char* bytes, int count) {
    if (!PlainText(bytes, count)) {
        return false;
    }
    ListingLines lines;
    int lineCount = 0;
    bool markerSeen = false;
    for (int p = 1; p < count; ++p) {
        if (!IsMarkerAt(bytes, count, p)) {
            continue;
        }
        markerSeen = true;
        // Each marker splits everything after it again, continuing the line count. A line not
        // ended by "\r" before the closing bytes stays uncounted (and a later marker's walk
        // appends to it). Lines beyond the table's 64 rows are ignored.
        for (int i = p + 5; i < count - kClosingBytes && lineCount < kMaxLines; ++i) {
            if (bytes[i] == '\r') {
                ++lineCount;
                ++i; // the line feed
            } else {
                lines[static_cast<std::size_t>(lineCount)].push_back(static_cast<char>(bytes[i]));
            }
        }
    }
    // Every marker applies all lines counted so far, in order; once a line is counted it never
    // changes, so applying them once after the last marker gives the same rows.
    if (markerSeen) {
        ApplyLines(lines, lineCount, m_radioFamily, m_settings);
    }
    return true;
}
