#pragma once
// The names of register values: one table per list of the two settings pages. The pages fill
// their lists from these tables and a comparison of two settings documents names values by
// them, so a name is written once. An item's index is what the radio stores (or, for the ORV
// modes, what the write turns into a preset), so the order of every table is binding.

#include <span>
#include <string>

namespace ValueNames {

// A name in the two languages of the forms; the same text twice where the forms do not
// translate it.
struct Name {
    const char* chinese;
    const char* english;

    const char* In(bool inEnglish) const { return inEnglish ? english : chinese; }
};

// ---- ORV page

struct OrvProtocol {
    Name name;                   // the protocol button's text
    std::span<const Name> modes; // the items of its mode list, in preset order
};

// The five protocols in the order of their buttons (protocol 0-4).
std::span<const OrvProtocol> OrvProtocols();

// The rate of a port-rate code as the port-rate list names it ("230400"); "" for a code without
// a rate (8, or outside 0..9).
std::string OrvPortRateText(int code);

// The port-rate list: every code's rate that has one, in code order ("230400" .. "4800").
std::span<const std::string> OrvPortRateItems();

// ---- QX page: the lists name values alike in both languages

struct QxLists {
    std::span<const char* const> protocols;   // S186
    std::span<const char* const> workModes;   // S101
    std::span<const char* const> modulations; // S127
    std::span<const char* const> airRates;    // S103
    std::span<const char* const> bandwidths;  // S125, padded with blanks as the page lines them up
    std::span<const char* const> powers;      // S108 - 20; 31 and 32 have empty items
    std::span<const char* const> fecModes;    // S158
    std::span<const char* const> portRates;   // S102
    std::span<const char* const> dataFormats; // S110 - 1
};
const QxLists& Qx();

} // namespace ValueNames
