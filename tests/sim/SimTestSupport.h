#pragma once
// Small helpers shared by the simulated-radio tests.

#include "SimRadio.h"

#include <string>
#include <vector>

// Sends "+++" so that the radio is in command mode; returns what it answered.
inline std::string EnterCommandMode(CSimRadio& radio) {
    return radio.Receive("+++");
}

inline bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The channel lines of a listing: the lines after the dashed header line and the blank line,
// up to the closing "\r\nOK\r\n".
inline std::vector<std::string> ListingLines(const std::string& listing) {
    std::vector<std::string> lines;
    const std::size_t marker = listing.find("--\r\n\r\n");
    if (marker == std::string::npos) {
        return lines;
    }
    std::size_t start = marker + 6;
    const std::size_t end = listing.size() >= 6 ? listing.size() - 6 : 0;
    while (start < end) {
        const std::size_t cr = listing.find("\r\n", start);
        if (cr == std::string::npos || cr >= end) {
            lines.push_back(listing.substr(start, end - start));
            break;
        }
        lines.push_back(listing.substr(start, cr - start));
        start = cr + 2;
    }
    return lines;
}
