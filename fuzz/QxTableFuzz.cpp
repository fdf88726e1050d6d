// The QX channel table file applied from any bytes: a refused file changes nothing, a taken one
// at most the rows its lines name, and a row it fills in the form an export writes comes back the
// same from that export.

#include "fuzz/FuzzCheck.h"
#include "qxpage/QxTableFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace QxTableFile;

namespace {

// Texts an export writes on one line and an import splits back into the same fields: a
// frequency, a bandwidth ending in its only "KHz", a direction; long enough not to be skipped.
bool SurvivesExport(const ChannelEntry& row) {
    const std::size_t khz = row.bandwidth.find("KHz");
    return !row.frequency.empty() && row.bandwidth.size() >= 3 && khz == row.bandwidth.size() - 3 &&
           row.frequency.size() + row.bandwidth.size() + row.direction.size() > 16;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16 * 1024) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    ListRows rows;
    for (std::size_t r = 0; r < kRows; ++r) {
        rows[r] = {std::to_string(r), "held", "held", "held"};
    }
    const ListRows before = rows;
    const ImportReport report = ImportFile(bytes, rows);
    if (report.refused) {
        FUZZ_CHECK(rows == before && report.imported == 0 && report.skipped == 0);
        FUZZ_CHECK(!report.refused->english.empty() && !report.refused->chinese.empty());
        return 0;
    }
    const int changed = report.imported;
    FUZZ_CHECK(changed >= 1 && changed <= static_cast<int>(kRows));
    FUZZ_CHECK((report.skipped == 0) == (report.firstSkipped == 0));
    FUZZ_CHECK(SkippedMessage(report, true).empty() == (report.skipped == 0));

    int rowsChanged = 0;
    for (std::size_t r = 0; r < kRows; ++r) {
        // The channel column is never taken from a file.
        FUZZ_CHECK(rows[r].channel == before[r].channel);
        if (!(rows[r] == before[r])) {
            ++rowsChanged;
            FUZZ_CHECK(rows[r].direction.find('\r') == std::string::npos);
        }
    }
    FUZZ_CHECK(rowsChanged <= changed);

    // The export of any list the import gave is taken back, unless a cell grew a line past the
    // longest an import reads, or no row makes a channel line (every one short or odd).
    ListRows again;
    if (ImportFile(EncodeFile(rows), again).refused) {
        bool overlong = false;
        bool channelLine = false;
        for (const ChannelEntry& row : rows) {
            const std::size_t texts =
                row.frequency.size() + row.bandwidth.size() + row.direction.size();
            overlong = overlong || texts + 14 > kLongestLine;
            channelLine = channelLine || SurvivesExport(row) || texts == 0;
        }
        FUZZ_CHECK(overlong || !channelLine);
        return 0;
    }
    for (std::size_t r = 0; r < kRows; ++r) {
        if (SurvivesExport(rows[r])) {
            FUZZ_CHECK(again[r].frequency == rows[r].frequency);
            FUZZ_CHECK(again[r].bandwidth == rows[r].bandwidth);
            FUZZ_CHECK(again[r].direction == rows[r].direction);
        }
    }
    return 0;
}
