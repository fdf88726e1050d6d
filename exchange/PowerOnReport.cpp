#include "exchange/PowerOnReport.h"

#include <cctype>
#include <climits>

namespace {

constexpr std::size_t kReportLength = 19;

// Two characters from start; a start below 0 counts as 0, characters past the end are not there.
std::string TwoCharsAt(const std::string& text, long start) {
    const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start);
    if (from >= text.size()) {
        return {};
    }
    return text.substr(from, 2);
}

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two characters that are digits, the first possibly a blank.
bool IsNumberField(const std::string& field) {
    return field.size() == 2 && (IsDigit(field[0]) || field[0] == ' ') && IsDigit(field[1]);
}

} // namespace

int DecimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1; // saturate, keep reading digits
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

PowerOnReport ParsePowerOnReport(const std::string& received) {
    PowerOnReport report;
    if (received.size() < kReportLength) {
        return report;
    }
    // A power-up glitch may leave stray bytes in front of the report: it is the last 19
    // characters. Behind stray bytes the tail may still be a report on its way in, so there
    // both numbers must lie wholly inside it and be written in digits.
    const bool afterStrayBytes = received.size() > kReportLength;
    const std::string text = received.substr(received.size() - kReportLength);
    const std::size_t u = text.find('U');
    const long p = u == std::string::npos ? -1 : static_cast<long>(u);
    const std::string channel = TwoCharsAt(text, p - 2);
    const std::string code = TwoCharsAt(text, p + 3);
    report.channel = DecimalValue(channel);
    report.rateCode = DecimalValue(code);
    if (afterStrayBytes && (p < 2 || !IsNumberField(channel) || !IsNumberField(code))) {
        return report;
    }
    // Code 8 has no baud rate: such a report is not taken and the countdown goes on.
    report.valid = report.channel >= 1 && report.channel <= 16 && report.rateCode >= 0 &&
                   report.rateCode <= 9 && report.rateCode != 8;
    return report;
}
