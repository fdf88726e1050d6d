// The reply intake of a read (the family is FUZZ_FAMILY): the input is everything the radio
// sends from "+++" on, one byte at a time; 0x00 fires the watchdog (see CFuzzHost).

#include "fuzz/ChannelRowsCheck.h"
#include "fuzz/ExchangeFuzzHost.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr RadioFamily kFamily = FUZZ_FAMILY;

// The commands of a read, in the order they are sent.
const std::vector<std::string_view>& ReadCommands() {
    static const std::vector<std::string_view> orv = {
        "ATS128?\r", "ATS186?\r", "ATS127?\r", "ATS103?\r", "ATS141?\r",
        "ATS101?\r", "ATS226?\r", "ATS190?\r", "ATS105?\r", "ATP0?\r"};
    static const std::vector<std::string_view> qx = {
        "ATS128?\r", "ATS186?\r", "ATS101?\r", "ATS127?\r", "ATS103?\r", "ATS141?\r",
        "ATS125?\r", "ATS131?\r", "ATS132?\r", "ATS191?\r", "ATS192?\r", "ATS105?\r",
        "ATS108?\r", "ATS158?\r", "ATS102?\r", "ATS110?\r", "ATP0?\r"};
    return kFamily == FAMILY_ORV ? orv : qx;
}

bool Digit(int value) {
    return value >= 0 && value <= 9;
}

void CheckRegisters(const RadioSettings& settings) {
    const RadioSettings fresh;
    if (kFamily == FAMILY_ORV) {
        const OrvRegisters& r = settings.orv;
        FUZZ_CHECK(Digit(r.s128) && Digit(r.s186) && Digit(r.s127) && Digit(r.s103) &&
                   Digit(r.s141) && Digit(r.s101) && Digit(r.s226) && Digit(r.s190));
        FUZZ_CHECK(r.s105.size() <= 3 && std::all_of(r.s105.begin(), r.s105.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; }));
        FUZZ_CHECK(settings.qx == fresh.qx);
    } else {
        const QxRegisters& r = settings.qx;
        FUZZ_CHECK(Digit(r.s186) && Digit(r.s101) && Digit(r.s127) && Digit(r.s103) &&
                   Digit(r.s141) && Digit(r.s125) && Digit(r.s158));
        // No register holds more digits than it has: channels, power, port rate and data
        // format two, the address three.
        for (const int value : {r.s108, r.s131, r.s132, r.s191, r.s192, r.s102, r.s110}) {
            FUZZ_CHECK(value >= 0 && value <= 99);
        }
        FUZZ_CHECK(r.s105 >= 0 && r.s105 <= 999);
        FUZZ_CHECK(settings.orv == fresh.orv);
    }
    // A read fills neither program table.
    FUZZ_CHECK(settings.orvProgram == fresh.orvProgram && settings.qxProgram == fresh.qxProgram);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return 0;
    }
    CFuzzHost host(kFamily);
    host.Feed(data, size);

    // Nothing but the read's commands, each the one after the last or a new start.
    const std::vector<std::string_view>& order = ReadCommands();
    std::size_t next = 0;
    for (const std::string& command : host.commands) {
        if (command == order.front()) {
            next = 1;
            continue;
        }
        FUZZ_CHECK(next < order.size() && command == order[next]);
        ++next;
    }
    FUZZ_CHECK(host.readEnds <= host.readStarts);
    FUZZ_CHECK(host.writeEnds == 0);
    CheckRegisters(host.settings);
    CheckListedRows(host.settings.channels, RadioSettings().channels, kFamily);
    return 0;
}
