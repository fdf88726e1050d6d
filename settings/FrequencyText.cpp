#include "settings/FrequencyText.h"

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

namespace FrequencyText {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Digits with at most one decimal point and at least one digit.
bool IsPlainDecimal(const std::string& text) {
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

} // namespace

double LeadingNumber(const std::string& text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // One sign only; from_chars would take a second minus as its own.
    if (p == end || *p == '+' || *p == '-') {
        return 0.0;
    }
    double value = 0.0;
    const auto [stop, ec] = std::from_chars(p, end, value, std::chars_format::general);
    if (ec == std::errc::invalid_argument) {
        return 0.0;
    }
    if (ec == std::errc::result_out_of_range) {
        // Too large gives infinity, too small zero, as the C library does.
        bool tiny = false;
        for (const char* q = p; q + 1 < stop; ++q) {
            if ((*q == 'e' || *q == 'E') && q[1] == '-') {
                tiny = true;
            }
        }
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

std::int64_t HertzFromMhz(double value) {
    const double hertz = value * 1000000.0;
    if (std::isnan(hertz)) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (hertz >= kLimit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (hertz <= -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(hertz);
}

std::int64_t HertzFromText(const std::string& text) {
    return HertzFromMhz(LeadingNumber(text));
}

std::string MhzText(std::int64_t hertz) {
    const bool negative = hertz < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(hertz) : static_cast<std::uint64_t>(hertz);
    char text[40];
    std::snprintf(text, sizeof text, "%s%" PRIu64 ".%06" PRIu64, negative ? "-" : "",
                  magnitude / 1000000, magnitude % 1000000);
    return text;
}

bool ReadsAsZero(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == ' ') {
        --end;
    }
    bool digit = false;
    bool point = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] == '0') {
            digit = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

FrequencyVerdict CheckFrequency(const std::string& text, std::int64_t stepHz) {
    const double value = LeadingNumber(text);
    // Written so that NaN fails the range as well.
    if (!(value >= 410.0 && value <= 480.0)) {
        return {text.empty() ? FrequencyFault::None : FrequencyFault::Range, std::nullopt};
    }
    const std::int64_t hertz = HertzFromMhz(value);
    if (hertz % stepHz != 0) {
        return {FrequencyFault::Step, std::nullopt};
    }
    // The reading above stops at the first character that does not fit; what it left behind
    // ("433.125abc", " 433.125", "4.33125e2") would be dropped without a word.
    if (!IsPlainDecimal(text)) {
        return {FrequencyFault::Form, std::nullopt};
    }
    if (text.size() == 10) {
        return {};
    }
    if (text.size() > 10) {
        return {FrequencyFault::Form, std::nullopt};
    }
    // Shorter texts are completed to ddd.dddddd. For "450" or "450.5" this is the text padded
    // with zeros; a text such as "0450" would be ruined by padding, so the form is made from the
    // value itself.
    return {FrequencyFault::None, MhzText(hertz)};
}

const char* FrequencyMessage(FrequencyFault fault, bool english) {
    switch (fault) {
    case FrequencyFault::Range:
        return english ? "The Scope is wrong,Please write again！"
                       : "输入频段范围不对，请重新输入！";
    case FrequencyFault::Step:
        return english ? "The Value is wrong,Please write again！" : "输入频率值不对，请重新输入！";
    case FrequencyFault::Form:
        return english ? "The Form is Wrong，Please check！" : "输入频率格式不对，请确认！";
    case FrequencyFault::None:
        break;
    }
    return nullptr;
}

} // namespace FrequencyText
