#pragma once
// Replies in the radio's form, built by hand, and byte-by-byte feeding.

#include "RadioExchange.h"

#include <string>
#include <vector>

namespace replies {

inline const std::string kStart = "\r\nNO CARRIER\r\nOK\r\n";

// Echo, line end, value, line end, blank line, "OK".
inline std::string Register(const std::string& echo, const std::string& value) {
    return echo + "\r\n" + value + "\r\n\r\nOK\r\n";
}

// One listing line: number, frequency at column 20, bandwidth at 38, direction from 51.
inline std::string ChannelLine(const std::string& number, const std::string& frequency,
                               const std::string& bandwidth, const std::string& direction) {
    std::string line = number;
    line.resize(20, ' ');
    line += frequency;
    line.resize(38, ' ');
    line += bandwidth;
    line.resize(51, ' ');
    return line + direction;
}

inline const std::string kListingHead = "ATP0?\r\n"
                                        "Channel             Frequency         Bandwidth    "
                                        "Direction\r\n"
                                        "------------------------------------------------------"
                                        "----------\r\n"
                                        "\r\n";

// Lines are given without their line ends.
inline std::string Listing(const std::vector<std::string>& lines) {
    std::string text = kListingHead;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text + "\r\nOK\r\n";
}

inline void Feed(CRadioExchange& exchange, const std::string& text) {
    for (const char c : text) {
        exchange.OnPortRxChar(static_cast<unsigned char>(c));
    }
}

inline void Parse(CRadioExchange& exchange, const std::string& listing) {
    exchange.ParseChannelListing(reinterpret_cast<const unsigned char*>(listing.data()),
                                 static_cast<int>(listing.size()));
}

} // namespace replies
