#include "qxpage/QxTableFile.h"

#include <algorithm>

namespace QxTableFile {

namespace {

constexpr std::size_t kShortLine = 28;

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string WithoutLeadingSpace(const std::string& text) {
    std::size_t p = 0;
    while (p < text.size() && IsWhiteSpace(text[p])) {
        ++p;
    }
    return text.substr(p);
}

// The row a line's first field names, if it is a plain row number.
std::optional<std::size_t> RowNumber(const std::string& field) {
    if (field.empty() || field.size() > 9) {
        return std::nullopt;
    }
    std::size_t row = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        row = row * 10 + static_cast<std::size_t>(c - '0');
    }
    return row < kRows ? std::optional<std::size_t>(row) : std::nullopt;
}

// "12" followed by blanks and at most the CR a text-mode read leaves: an empty row as exported.
std::optional<std::size_t> EmptyRowLine(const std::string& line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) {
        return std::nullopt;
    }
    std::string rest = line.substr(blank);
    if (!rest.empty() && rest.back() == '\r') {
        rest.pop_back();
    }
    if (rest.find_first_not_of(' ') != std::string::npos) {
        return std::nullopt;
    }
    return RowNumber(line.substr(0, blank));
}

} // namespace

std::string EncodeFile(const ListRows& rows) {
    std::string file;
    for (std::size_t r = 0; r < kRows; ++r) {
        const ChannelEntry& row = rows[r];
        file += std::to_string(r);
        file.append(r < 10 ? 7 : 6, ' ');
        file += row.frequency + "  " + row.bandwidth + "  " + row.direction;
        // "\r\n" as a text-mode file stores it.
        file += "\r\r\n";
    }
    return file;
}

std::optional<LineEffect> ParseLine(const std::string& line) {
    if (const auto row = EmptyRowLine(line)) {
        return LineEffect{*row, {}, {}, {}};
    }
    if (line.size() <= kShortLine) {
        return std::nullopt;
    }

    std::size_t p = line.find(' ');
    const std::string channel = p == std::string::npos ? std::string() : line.substr(0, p);
    std::string rest = WithoutLeadingSpace(p == std::string::npos ? line : line.substr(p));

    p = rest.find(' ');
    const std::string frequency = p == std::string::npos ? std::string() : rest.substr(0, p);
    rest = WithoutLeadingSpace(p == std::string::npos ? rest : rest.substr(p));

    p = rest.find("KHz");
    const std::size_t bandwidthLength = std::min(p == std::string::npos ? 2 : p + 3, rest.size());
    const std::string bandwidth = rest.substr(0, bandwidthLength);
    rest = WithoutLeadingSpace(rest.substr(bandwidthLength));

    // The direction ends at the CR an exported line keeps; a line from an ordinary editor has
    // none left, and its direction is all the rest.
    const std::string direction = rest.substr(0, rest.find('\r'));

    const auto row = RowNumber(channel);
    if (!row) {
        return std::nullopt;
    }
    return LineEffect{*row, frequency, bandwidth, direction};
}

int ImportFile(const std::string& bytes, ListRows& rows) {
    int changed = 0;
    std::size_t start = 0;
    for (std::size_t count = 0; count < kRows && start < bytes.size(); ++count) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t stop = lf == std::string::npos ? bytes.size() : lf;
        std::string line = bytes.substr(start, stop - start);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = lf == std::string::npos ? bytes.size() : lf + 1;
        if (line.empty()) {
            break;
        }
        if (const auto effect = ParseLine(line)) {
            ChannelEntry& row = rows[effect->row];
            row.frequency = effect->frequency;
            row.bandwidth = effect->bandwidth;
            row.direction = effect->direction;
            ++changed;
        }
    }
    return changed;
}

} // namespace QxTableFile
