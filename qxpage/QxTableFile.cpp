#include "qxpage/QxTableFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

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

std::string Formatted(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// Bytes no text file holds: control characters other than white space. Random or binary data
// has them almost at once.
bool IsText(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x20 && byte != 0x7F) || IsWhiteSpace(c);
}

// What makes the whole file unreadable, before any line is taken.
std::optional<Problem> FileProblem(const std::string& bytes) {
    if (bytes.empty()) {
        return Problem{"文件是空的", "the file is empty"};
    }
    if (bytes.size() > kMostFileBytes) {
        return Problem{Formatted("文件大于任何频率表文件（超过 %zu 字节）", kMostFileBytes),
                       Formatted("the file is larger than any channel table file (more than %zu "
                                 "bytes)",
                                 kMostFileBytes)};
    }
    std::size_t lineNumber = 1;
    for (std::size_t start = 0; start < bytes.size(); ++lineNumber) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t stop = lf == std::string::npos ? bytes.size() : lf;
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(start);
        const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(stop);
        if (std::find_if_not(begin, end, IsText) != end) {
            return Problem{Formatted("第 %zu 行含有不是文本的字节", lineNumber),
                           Formatted("line %zu holds bytes that are not text", lineNumber)};
        }
        if (stop - start > kLongestLine) {
            return Problem{
                Formatted("第 %zu 行有 %zu 个字符，比频率表文件的任何一行都长（最多 %zu）",
                          lineNumber, stop - start, kLongestLine),
                Formatted("line %zu has %zu characters, more than any line of a channel "
                          "table file (%zu)",
                          lineNumber, stop - start, kLongestLine)};
        }
        start = lf == std::string::npos ? bytes.size() : lf + 1;
    }
    return std::nullopt;
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
    if (p == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t bandwidthLength = p + 3;
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

ImportReport ImportFile(const std::string& bytes, ListRows& rows) {
    ImportReport report;
    if (const std::optional<Problem> problem = FileProblem(bytes)) {
        report.refused = problem;
        return report;
    }
    bool stopped = false;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t stop = lf == std::string::npos ? bytes.size() : lf;
        std::string line = bytes.substr(start, stop - start);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = lf == std::string::npos ? bytes.size() : lf + 1;
        ++lineNumber;
        // An empty line ends the import, and so does the 64th line; what follows is not read
        // but is told as skipped when it holds anything.
        const bool blank = line.find_first_not_of(" \t\r") == std::string::npos;
        if (line.empty()) {
            stopped = true;
            continue;
        }
        std::optional<LineEffect> effect;
        if (!stopped) {
            effect = ParseLine(line);
            stopped = lineNumber == kRows;
        } else if (blank) {
            continue;
        }
        if (!effect) {
            if (report.skipped++ == 0) {
                report.firstSkipped = lineNumber;
            }
            continue;
        }
        ChannelEntry& row = rows[effect->row];
        row.frequency = effect->frequency;
        row.bandwidth = effect->bandwidth;
        row.direction = effect->direction;
        ++report.imported;
    }
    // Nothing was applied then: the rows are as they were.
    if (report.imported == 0) {
        report.refused = Problem{"文件中没有信道行（以信道号 0-63 开头，后接频率、带宽和方向的行）",
                                 "the file holds no channel line (a line of a channel number 0-63, "
                                 "its frequency, bandwidth and direction)"};
        report.skipped = 0;
        report.firstSkipped = 0;
    }
    return report;
}

std::string RefusalMessage(const Problem& problem, bool english) {
    return english ? "The channel table file was not imported; the list is unchanged: " +
                         problem.english + "."
                   : "频率表文件未导入，列表没有改变：" + problem.chinese + "。";
}

std::string SkippedMessage(const ImportReport& report, bool english) {
    if (report.skipped == 0) {
        return {};
    }
    return english ? Formatted("%d %s imported. %d %s skipped (no channel line, or after the "
                               "64th line or an empty line), the first of them line %zu; their "
                               "rows are unchanged.",
                               report.imported, report.imported == 1 ? "line was" : "lines were",
                               report.skipped, report.skipped == 1 ? "line was" : "lines were",
                               report.firstSkipped)
                   : Formatted("已导入 %d 行。跳过了 %d 行（不是信道行，或在第 64 行或空行之后），"
                               "第一个是第 %zu 行；这些行对应的信道没有改变。",
                               report.imported, report.skipped, report.firstSkipped);
}

} // namespace QxTableFile
