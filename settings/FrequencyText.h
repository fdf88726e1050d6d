#pragma once
// Frequencies as the pages hold them: MHz texts in the lists ("433.125000"), whole hertz toward
// the radio and in the table files. Shared by both settings pages.

#include <cstdint>
#include <optional>
#include <string>

namespace FrequencyText {

// The leading decimal number of a text, read as the C library's atof reads it in the "C"
// locale (leading white space skipped, optional sign, reading stops at the first character that
// does not fit, no number gives 0), but independent of the process locale. A text naming
// infinity or NaN gives that value.
double LeadingNumber(const std::string& text);

// value × 1,000,000 truncated toward zero, saturated to the 64-bit range; NaN gives 0.
std::int64_t HertzFromMhz(double value);

// The leading number of a text in whole hertz (an empty or non-numeric text gives 0).
std::int64_t HertzFromText(const std::string& text);

// The hertz value as the pages show it: "433.125000" (negative values keep their sign).
std::string MhzText(std::int64_t hertz);

// True when the text, blanks aside, is a plain decimal zero ("0", "0.", "0.000000"): the form an
// empty entry takes in an imported table. Such a cell deletes its channel.
bool ReadsAsZero(const std::string& text);

// Outcome of a page's frequency check, in the order the checks run.
enum class FrequencyFault {
    None,  // passes (an empty text passes silently)
    Range, // outside 410-480 MHz
    Step,  // not a whole multiple of the page's step in hertz
    Form,  // more than ten characters, or anything but digits and one decimal point
};

struct FrequencyVerdict {
    FrequencyFault fault = FrequencyFault::None;
    // The ten-character form of a passing text that is not yet in it.
    std::optional<std::string> normalised;

    bool operator==(const FrequencyVerdict&) const = default;
};

// The check both pages run, with their own step (1250 Hz on the ORV page, 50 Hz on the QX page).
FrequencyVerdict CheckFrequency(const std::string& text, std::int64_t stepHz);

// The message of a fault in one language; nullptr for FrequencyFault::None.
const char* FrequencyMessage(FrequencyFault fault, bool english);

} // namespace FrequencyText
