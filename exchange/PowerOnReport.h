#pragma once
// The ORV radio's power-on report: 19 characters that carry its current channel (two characters
// ending two places before the first "U") and its port-rate code (two characters starting three
// places after it).

#include <string>

struct PowerOnReport {
    int channel = 0;  // as read; valid 1..16
    int rateCode = 0; // as read; valid 0..9
    bool valid = false;
};

// Reads the two values from the last 19 characters of what has been received (stray bytes may
// come first). Valid only when the channel is 1..16 and the code 0..9 (behind stray bytes also
// both written in digits within those 19 characters); the values are filled whenever at least
// 19 characters have been received, valid or not.
PowerOnReport ParsePowerOnReport(const std::string& received);

// Decimal value of a text as the radio's numbers are read: leading blanks skipped, an optional
// sign, then digits up to the first non-digit; 0 when there are none.
int DecimalValue(const std::string& text);
