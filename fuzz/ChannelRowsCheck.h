#pragma once
// What any channel rows taken from a listing must look like, whatever the listing held.

#include "exchange/PowerOnReport.h"
#include "exchange/RadioSettings.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

inline void CheckListedRows(const std::array<ChannelEntry, RadioSettings::kChannelRows>& rows,
                            const std::array<ChannelEntry, RadioSettings::kChannelRows>& before,
                            RadioFamily family) {
    const auto isNumber = [](const std::string& text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const auto plain = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return (c >= 0x20 && c <= 0x7E) || c == '\n'; });
    };
    for (std::size_t n = 0; n < rows.size(); ++n) {
        const ChannelEntry& row = rows[n];
        if (row == before[n]) {
            continue;
        }
        // A row is only ever filled from a line naming it (ORV row 63 repeats an earlier line).
        if (!(family == FAMILY_ORV && n == 63)) {
            FUZZ_CHECK(isNumber(row.channel));
            FUZZ_CHECK(static_cast<std::size_t>(DecimalValue(row.channel)) == n);
        }
        FUZZ_CHECK(row.frequency.size() <= 10 && row.bandwidth.size() <= 8);
        FUZZ_CHECK(plain(row.channel) && plain(row.frequency) && plain(row.bandwidth) &&
                   plain(row.direction));
    }
}
