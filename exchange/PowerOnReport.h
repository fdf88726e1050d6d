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

// Reads the two values from a received text. Returns valid only for a text of exactly 19
// characters whose channel is 1..16 and code 0..9; the values are filled whenever the text is
// 19 characters long, valid or not.
PowerOnReport ParsePowerOnReport(const std::string& text);

// Decimal value of a text as the radio's numbers are read: leading blanks skipped, an optional
// sign, then digits up to the first non-digit; 0 when there are none.
int DecimalValue(const std::string& text);
