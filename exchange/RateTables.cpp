#include "exchange/RateTables.h"

namespace RateTables {

int OrvPortRateBaud(int code) {
    // Index = port-rate code; code 8 has no rate.
    static constexpr std::array<int, 10> kBaud = {230400, 115200, 57600, 38400, 28800,
                                                  19200,  14400,  9600,  0,     4800};
    if (code < 0 || code >= static_cast<int>(kBaud.size())) {
        return 0;
    }
    return kBaud[static_cast<std::size_t>(code)];
}

} // namespace RateTables
