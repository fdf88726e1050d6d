#pragma once
// Readable GoogleTest failure output for the settings record's parts.

#include "RadioSettings.h"

#include <ostream>

inline void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << "{\"" << e.channel << "\", \"" << e.frequency << "\", \"" << e.bandwidth << "\", \""
        << e.direction << "\"}";
}

inline void PrintTo(const OrvRegisters& r, std::ostream* os) {
    *os << "{s128 " << r.s128 << ", s186 " << r.s186 << ", s127 " << r.s127 << ", s103 " << r.s103
        << ", s141 " << r.s141 << ", s101 " << r.s101 << ", s226 " << r.s226 << ", s190 " << r.s190
        << ", s105 \"" << r.s105 << "\"}";
}

inline void PrintTo(const QxRegisters& r, std::ostream* os) {
    *os << "{s186 " << r.s186 << ", s101 " << r.s101 << ", s127 " << r.s127 << ", s103 " << r.s103
        << ", s141 " << r.s141 << ", s125 " << r.s125 << ", s131 " << r.s131 << ", s132 " << r.s132
        << ", s191 " << r.s191 << ", s192 " << r.s192 << ", s105 " << r.s105 << ", s108 " << r.s108
        << ", s158 " << r.s158 << ", s102 " << r.s102 << ", s110 " << r.s110 << "}";
}

inline void PrintTo(const RadioSettings&, std::ostream* os) {
    *os << "(settings record; see the field comparisons above)";
}
