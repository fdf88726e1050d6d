#include "document/ChannelPlanCsv.h"

#include "orvpage/FrequencyText.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

namespace ChannelPlanCsv {
namespace {

constexpr std::array<const char*, 6> kColumns{"channel",   "frequency_mhz", "bandwidth_khz",
                                              "direction", "name",          "comment"};
enum Column { kChannel, kFrequency, kBandwidth, kDirection, kName, kComment };
constexpr int kRequiredColumns = 4; // channel .. direction

struct Bandwidth {
    std::int64_t hz;
    const char* listing;
    const char* csv;
};
constexpr std::array<Bandwidth, 3> kBandwidths{
    {{6250, "6.25 KHz", "6.25"}, {12500, "12.5 KHz", "12.5"}, {25000, "25   KHz", "25"}}};

std::string Trim(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The line of the first byte that is not UTF-8 (overlong forms and surrogates included), or 0.
int FirstNonUtf8Line(const std::string& text) {
    int line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
        }
        if (byte == 0) {
            return line; // UTF-16, as some spreadsheets save "Unicode text"
        }
        if (byte < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2;
            code = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            code = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            code = byte & 0x07;
        } else {
            return line;
        }
        if (i + length > text.size()) {
            return line;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return line;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return line;
        }
        i += length;
    }
    return 0;
}

// CR LF and a lone CR become LF, so that lines count the same whoever wrote the file.
std::string UnixLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

// Splits the text into records, passing over blank lines, '#' lines and a "sep=" line. A quoted
// field keeps separators and line breaks; an unquoted one is trimmed.
class CRecordReader {
public:
    CRecordReader(const std::string& text, char separator) : m_text(text), m_sep(separator) {}

    // False at the end; an unterminated quote ends the text with an error on its record's line.
    bool Next(Record& record, std::vector<LineError>& errors) {
        while (m_pos < m_text.size()) {
            const std::size_t end = LineEnd();
            const std::string raw = Trim(m_text.substr(m_pos, end - m_pos));
            if (raw.empty() || raw[0] == '#' || Lower(raw).rfind("sep=", 0) == 0) {
                m_pos = end + 1;
                ++m_line;
                continue;
            }
            record = {m_line, {}};
            if (!Fields(record, errors)) {
                return false;
            }
            const bool blank = std::all_of(record.fields.begin(), record.fields.end(),
                                           [](const std::string& f) { return Trim(f).empty(); });
            // A spreadsheet quotes or pads a comment line like any other cell.
            if (blank || (!record.fields.empty() && Trim(record.fields[0]).rfind('#', 0) == 0)) {
                continue;
            }
            return true;
        }
        return false;
    }

private:
    std::size_t LineEnd() const {
        const std::size_t end = m_text.find('\n', m_pos);
        return end == std::string::npos ? m_text.size() : end;
    }

    bool Fields(Record& record, std::vector<LineError>& errors) {
        std::string field;
        bool quoted = false;
        for (;;) {
            if (m_pos >= m_text.size() || m_text[m_pos] == '\n') {
                record.fields.push_back(quoted ? field : Trim(field));
                if (m_pos < m_text.size()) {
                    ++m_pos;
                    ++m_line;
                }
                return true;
            }
            const char c = m_text[m_pos];
            if (c == m_sep) {
                record.fields.push_back(quoted ? field : Trim(field));
                field.clear();
                quoted = false;
                ++m_pos;
            } else if (c == '"' && Trim(field).empty() && !quoted) {
                field.clear();
                quoted = true;
                if (!QuotedText(field)) {
                    errors.push_back({record.line, "引号没有结束，从这一行起的内容都无法读取",
                                      "a quote is not closed; nothing from here on can be read"});
                    return false;
                }
            } else {
                field += c;
                ++m_pos;
            }
        }
    }

    // The text of a quoted field up to its closing quote; false when there is none.
    bool QuotedText(std::string& field) {
        ++m_pos; // the opening quote
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    field += '"';
                    ++m_pos;
                    continue;
                }
                return true;
            }
            if (c == '\n') {
                ++m_line;
            }
            field += c;
        }
        return false;
    }

    const std::string& m_text;
    char m_sep;
    std::size_t m_pos = 0;
    int m_line = 1;
};

// The separator the header line uses: the one that makes it name the channel and frequency
// columns; nullopt when no line names both.
std::optional<char> HeaderSeparator(const std::string& text) {
    for (const char sep : {',', ';', '\t'}) {
        CRecordReader reader(text, sep);
        Record header;
        std::vector<LineError> ignored;
        if (!reader.Next(header, ignored)) {
            continue;
        }
        bool channel = false;
        bool frequency = false;
        for (const std::string& name : header.fields) {
            channel = channel || Lower(Trim(name)) == kColumns[kChannel];
            frequency = frequency || Lower(Trim(name)) == kColumns[kFrequency];
        }
        if (channel && frequency) {
            return sep;
        }
    }
    return std::nullopt;
}

// A "sep=X" line before the header, as some spreadsheets write and read it.
std::optional<char> DeclaredSeparator(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = Trim(text.substr(pos, end - pos));
        if (!line.empty() && line[0] != '#') {
            if (Lower(line).rfind("sep=", 0) == 0 && line.size() >= 5) {
                return line[4];
            }
            return std::nullopt;
        }
        pos = end + 1;
    }
    return std::nullopt;
}

enum class NumberFault { None, NotNumber, DecimalComma, TooFine, TooLarge };

// A plain decimal ("433", "433.125", "433.125000") as value × 10^scale, exactly.
NumberFault ParseDecimal(const std::string& text, int scale, std::int64_t* value) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    const auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    };
    if (whole.empty() || !digits(whole) || !digits(fraction) ||
        (point != std::string::npos && fraction.empty())) {
        const bool comma = text.find(',') != std::string::npos &&
                           std::all_of(text.begin(), text.end(), [](char c) {
                               return c == ',' || std::isdigit(static_cast<unsigned char>(c));
                           });
        return comma ? NumberFault::DecimalComma : NumberFault::NotNumber;
    }
    if (whole.size() > 9) {
        return NumberFault::TooLarge;
    }
    std::int64_t result = std::stoll(whole);
    for (int k = 0; k < scale; ++k) {
        result = result * 10 + (static_cast<std::size_t>(k) < fraction.size()
                                    ? fraction[static_cast<std::size_t>(k)] - '0'
                                    : 0);
    }
    if (fraction.size() > static_cast<std::size_t>(scale) &&
        fraction.find_first_not_of('0', static_cast<std::size_t>(scale)) != std::string::npos) {
        return NumberFault::TooFine;
    }
    *value = result;
    return NumberFault::None;
}

// Reads the rows of one file, given its separator, into a plan.
class CPlanReader {
public:
    CPlanReader(std::int64_t stepHz, std::vector<LineError>& errors)
        : m_step(stepHz), m_errors(errors) {}

    bool Header(const Record& header) {
        m_columns.assign(header.fields.size(), -1);
        std::array<bool, kColumns.size()> seen{};
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            const std::string name = Lower(Trim(header.fields[i]));
            if (name.empty()) {
                continue; // an unnamed column must stay empty (checked per row)
            }
            const auto known = std::find(kColumns.begin(), kColumns.end(), name);
            if (known == kColumns.end()) {
                Error(header.line, "不认识的列“" + header.fields[i] + "”",
                      "unknown column \"" + header.fields[i] +
                          "\" (the columns are channel, "
                          "frequency_mhz, bandwidth_khz, direction, name, comment)");
                continue;
            }
            const auto column = static_cast<std::size_t>(known - kColumns.begin());
            if (seen[column]) {
                Error(header.line, "列“" + name + "”出现了两次",
                      "column \"" + name + "\" is given twice");
            }
            seen[column] = true;
            m_columns[i] = static_cast<int>(column);
        }
        for (int column = 0; column < kRequiredColumns; ++column) {
            if (!seen[static_cast<std::size_t>(column)]) {
                const std::string name = kColumns[static_cast<std::size_t>(column)];
                Error(header.line, "缺少列“" + name + "”",
                      "the column \"" + name + "\" is missing");
            }
        }
        return m_errors.empty();
    }

    void Row(const Record& row) {
        std::array<std::string, kColumns.size()> cell{};
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            const int column = i < m_columns.size() ? m_columns[i] : -1;
            if (column >= 0) {
                cell[static_cast<std::size_t>(column)] = row.fields[i];
            } else if (!Trim(row.fields[i]).empty()) {
                Error(row.line, "这一行的字段比标题行的列多（小数点请用“.”，不要用“,”）",
                      "more fields than the header has named columns (write decimals with a "
                      "point, not a comma)");
                return;
            }
        }
        const std::optional<std::size_t> channel = Channel(row.line, Trim(cell[kChannel]));
        PlanChannel entry;
        entry.line = row.line;
        entry.name = cell[kName];
        entry.comment = cell[kComment];
        const bool inUse = !Trim(cell[kFrequency]).empty();
        const bool good = Frequency(row.line, Trim(cell[kFrequency]), entry) &
                          BandwidthOf(row.line, Trim(cell[kBandwidth]), inUse, entry) &
                          DirectionOf(row.line, Trim(cell[kDirection]), inUse, entry);
        if (channel && good) {
            m_plan[*channel] = entry;
        }
        m_rows += 1;
    }

    const Plan& Result() const { return m_plan; }
    int Rows() const { return m_rows; }

private:
    void Error(int line, const std::string& chinese, const std::string& english) {
        m_errors.push_back({line, chinese, english});
    }

    std::optional<std::size_t> Channel(int line, const std::string& text) {
        const bool digits =
            !text.empty() && text.size() <= 3 && std::all_of(text.begin(), text.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            });
        if (!digits || std::stoi(text) >= static_cast<int>(kChannels)) {
            Error(line, "频道“" + text + "”不是 0–63 之间的整数",
                  "channel \"" + text + "\" is not a whole number from 0 to 63");
            return std::nullopt;
        }
        const auto channel = static_cast<std::size_t>(std::stoi(text));
        if (const auto earlier = m_lines.find(channel); earlier != m_lines.end()) {
            Error(line, "频道 " + text + " 在第 " + std::to_string(earlier->second) + " 行已经给过",
                  "channel " + text + " is already given on line " +
                      std::to_string(earlier->second));
            return std::nullopt;
        }
        m_lines.emplace(channel, line);
        return channel;
    }

    bool Frequency(int line, const std::string& text, PlanChannel& entry) {
        if (text.empty()) {
            return true; // no channel
        }
        std::int64_t hz = 0;
        switch (ParseDecimal(text, 6, &hz)) {
        case NumberFault::None:
            break;
        case NumberFault::DecimalComma:
            Error(line, "频率“" + text + "”用了小数逗号，请用小数点（如 433.125）",
                  "frequency \"" + text +
                      "\" has a decimal comma; write it with a point "
                      "(433.125)");
            return false;
        case NumberFault::TooFine:
            Error(line, "频率“" + text + "”不是整赫兹",
                  "frequency \"" + text + "\" is not a whole number of hertz");
            return false;
        case NumberFault::NotNumber:
            Error(line, "频率“" + text + "”不是以 MHz 为单位的数",
                  "frequency \"" + text + "\" is not a number of MHz");
            return false;
        case NumberFault::TooLarge:
            hz = kHighestHz + 1;
            break;
        }
        if (hz < kLowestHz || hz > kHighestHz) {
            Error(line, text + " MHz 超出 410–480 MHz 范围", text + " MHz is outside 410–480 MHz");
            return false;
        }
        if (hz % m_step != 0) {
            const std::string step = std::to_string(m_step);
            Error(line, text + " MHz 不在 " + step + " Hz 的步进上",
                  text + " MHz is not on a whole " + step + " Hz step");
            return false;
        }
        entry.frequency = FrequencyText::MhzText(hz);
        return true;
    }

    bool BandwidthOf(int line, const std::string& given, bool inUse, PlanChannel& entry) {
        std::string text = given;
        if (const std::string lower = Lower(text);
            lower.size() >= 3 && lower.compare(lower.size() - 3, 3, "khz") == 0) {
            text = Trim(text.substr(0, text.size() - 3));
        }
        if (text.empty()) {
            if (inUse) {
                Error(line, "有频率的频道缺少带宽（6.25、12.5 或 25）",
                      "a channel with a frequency needs a bandwidth_khz (6.25, 12.5 or 25)");
            }
            return !inUse;
        }
        std::int64_t hz = 0;
        if (ParseDecimal(text, 3, &hz) == NumberFault::None) {
            for (const Bandwidth& known : kBandwidths) {
                if (known.hz == hz) {
                    entry.bandwidth = known.listing;
                    return true;
                }
            }
        }
        Error(line, "带宽“" + given + "”不是 6.25、12.5 或 25",
              "bandwidth \"" + given + "\" is not 6.25, 12.5 or 25 kHz");
        return false;
    }

    bool DirectionOf(int line, const std::string& given, bool inUse, PlanChannel& entry) {
        std::string key;
        for (const char c : Lower(given)) {
            if (c != ' ') {
                key += c;
            }
        }
        if (key.empty()) {
            if (inUse) {
                Error(line, "有频率的频道缺少方向（Rx、Tx 或 Rx&Tx）",
                      "a channel with a frequency needs a direction (Rx, Tx or Rx&Tx)");
            }
            return !inUse;
        }
        if (key == "rx") {
            entry.direction = "Rx";
        } else if (key == "tx") {
            entry.direction = "Tx";
        } else if (key == "rx&tx" || key == "tx&rx") {
            entry.direction = "Rx&Tx";
        } else {
            Error(line, "方向“" + given + "”不是 Rx、Tx 或 Rx&Tx",
                  "direction \"" + given + "\" is not Rx, Tx or Rx&Tx");
            return false;
        }
        return true;
    }

    std::int64_t m_step;
    std::vector<LineError>& m_errors;
    std::vector<int> m_columns; // by field: the column it is, -1 for an unnamed one
    std::map<std::size_t, int> m_lines;
    Plan m_plan{};
    int m_rows = 0;
};

bool NeedsQuotes(const std::string& field) {
    return field.find_first_of(",;\t\"\r\n") != std::string::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' ' || field[0] == '#'));
}

std::string CsvField(const std::string& field) {
    if (!NeedsQuotes(field)) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

} // namespace

std::string LineError::Text(bool english) const {
    if (line == 0) {
        return english ? this->english : chinese;
    }
    return english ? "line " + std::to_string(line) + ": " + this->english
                   : "第 " + std::to_string(line) + " 行：" + chinese;
}

ReadResult Read(const std::string& bytes, std::int64_t stepHz) {
    ReadResult result;
    std::string text = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    if (const int bad = FirstNonUtf8Line(text); bad != 0) {
        result.errors.push_back({bad, "不是 UTF-8 文本（请另存为“CSV UTF-8”）",
                                 "not UTF-8 text (save the file as \"CSV UTF-8\")"});
        return result;
    }
    text = UnixLines(text);
    const std::optional<char> sep =
        DeclaredSeparator(text) ? DeclaredSeparator(text) : HeaderSeparator(text);
    if (!sep) {
        result.errors.push_back(
            {0, "文件没有标题行，应列出 channel、frequency_mhz、bandwidth_khz、direction 这些列",
             "the file has no header line naming the columns channel, frequency_mhz, "
             "bandwidth_khz and direction"});
        return result;
    }
    CRecordReader records(text, *sep);
    CPlanReader plan(stepHz, result.errors);
    Record record;
    if (!records.Next(record, result.errors) || !plan.Header(record)) {
        return result;
    }
    while (records.Next(record, result.errors)) {
        plan.Row(record);
    }
    if (result.errors.empty() && plan.Rows() == 0) {
        result.errors.push_back({0, "文件里没有频道", "the file lists no channel"});
    }
    result.plan = plan.Result();
    return result;
}

std::string Write(const Plan& plan) {
    std::string out = "\xEF\xBB\xBF";
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        out += std::string(c == 0 ? "" : ",") + kColumns[c];
    }
    out += "\r\n";
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const PlanChannel& row = plan[n];
        std::string bandwidth = row.bandwidth;
        for (const Bandwidth& known : kBandwidths) {
            if (row.bandwidth == known.listing) {
                bandwidth = known.csv;
            }
        }
        const std::string frequency =
            FrequencyText::ReadsAsZero(row.frequency) ? "" : row.frequency;
        for (const std::string& field :
             {std::to_string(n), frequency, bandwidth, row.direction, row.name, row.comment}) {
            out += CsvField(field) + ",";
        }
        out.back() = '\r';
        out += '\n';
    }
    return out;
}

Plan PlanOf(const std::array<ChannelEntry, kChannels>& channels) {
    Plan plan{};
    for (std::size_t n = 0; n < kChannels; ++n) {
        plan[n].frequency = channels[n].frequency;
        plan[n].bandwidth = channels[n].bandwidth;
        plan[n].direction = channels[n].direction;
    }
    return plan;
}

void ApplyTo(const Plan& plan, std::array<ChannelEntry, kChannels>& channels) {
    for (std::size_t n = 0; n < kChannels; ++n) {
        channels[n].frequency = plan[n].frequency;
        channels[n].bandwidth = plan[n].bandwidth;
        channels[n].direction = plan[n].direction;
    }
}

std::int64_t BandwidthHz(const std::string& listing) {
    for (const Bandwidth& known : kBandwidths) {
        if (listing == known.listing) {
            return known.hz;
        }
    }
    return 0;
}

std::string RefusalText(const std::vector<LineError>& errors, bool english) {
    std::string text = english ? "The plan was not imported; the list is unchanged:"
                               : "频道计划没有导入，列表未改动：";
    for (const LineError& error : errors) {
        text += "\n" + error.Text(english);
    }
    return text;
}

} // namespace ChannelPlanCsv
