// The ORV power-on report and the radio's decimal numbers, from any bytes.

#include "exchange/PowerOnReport.h"
#include "fuzz/FuzzCheck.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The decimal reading written another way: blanks, a sign, digits, saturated at the int range.
long long ReferenceDecimal(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) {
        return 0;
    }
    int sign = 1;
    if (text[i] == '+' || text[i] == '-') {
        sign = text[i] == '-' ? -1 : 1;
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL << 40) {
            value = 1LL << 40;
        }
        ++i;
    }
    value *= sign;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string received(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(DecimalValue(received) == ReferenceDecimal(received));

    const PowerOnReport report = ParsePowerOnReport(received);
    if (report.valid) {
        FUZZ_CHECK(report.channel >= 1 && report.channel <= 16);
        FUZZ_CHECK(report.rateCode >= 0 && report.rateCode <= 9 && report.rateCode != 8);
    }
    if (size < 19) {
        FUZZ_CHECK(!report.valid && report.channel == 0 && report.rateCode == 0);
    } else {
        // Only the last 19 characters carry the values.
        const PowerOnReport tail = ParsePowerOnReport(received.substr(size - 19));
        FUZZ_CHECK(tail.channel == report.channel && tail.rateCode == report.rateCode);
        // Stray bytes in front never make a report valid that is not valid on its own.
        FUZZ_CHECK(!report.valid || tail.valid);
    }
    return 0;
}
