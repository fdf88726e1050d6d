#pragma once
// Serial rates that the connection procedures use.

#include <array>

namespace RateTables {

// ORV port-rate code (power-on report, S102) to baud rate; 0 for a code without a rate (8) or
// outside 0..9.
int OrvPortRateBaud(int code);

// The soft-diagnosis search order: every rate twice in succession, 57600 once, last.
inline constexpr std::array<int, 29> kSoftDiagRates = {
    4800,   4800,   9600, 9600, 19200, 19200, 38400, 38400, 115200, 115200,
    230400, 230400, 300,  300,  600,   600,   1200,  1200,  2400,   2400,
    3600,   3600,   7200, 7200, 14400, 14400, 28800, 28800, 57600};

} // namespace RateTables
