// The ORV channel table file read back from any bytes: whatever a file holds, the record it
// gives must survive being written and read again, and an import touches only the rows shown.
// A file the import takes holds a record the export could have written, and every file the
// export writes is taken.

#include "fuzz/FuzzCheck.h"
#include "orvpage/OrvTableFile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace OrvTableFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16 * 1024) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Record record = DecodeFile(bytes);
    const ReadResult read = ReadFile(bytes);
    if (!read.problem) {
        FUZZ_CHECK(read.record == record);
        FUZZ_CHECK(!ReadFile(RecordText(record)).problem);
    }

    const std::string text = RecordText(record);
    FUZZ_CHECK(text.size() == kFileSize);
    FUZZ_CHECK(DecodeFile(text) == record);

    // The entries' frequencies, written again, give the same entries.
    const std::array<std::string, kEntries> texts = EntryTexts(record);
    Frequencies hertz{};
    for (std::size_t j = 0; j < kEntries; ++j) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(record[4 + 5 * j + 1 + i]) << (8 * i);
        }
        hertz[j] = static_cast<std::int32_t>(value);
        const std::string& t = texts[j];
        FUZZ_CHECK(t.size() >= 2 && t.size() <= 12);
        FUZZ_CHECK(t.find('.') == std::min<std::size_t>(3, t.size() - 1));
    }
    const Record rebuilt = BuildRecord(hertz);
    FUZZ_CHECK(EntryTexts(rebuilt) == texts);
    FUZZ_CHECK(DecodeFile(EncodeFile(hertz)) == rebuilt);
    const ReadResult written = ReadFile(EncodeFile(hertz));
    FUZZ_CHECK(!written.problem && written.record == rebuilt);

    for (const bool repeater : {false, true}) {
        std::array<std::string, kEntries> cells;
        cells.fill("kept");
        ImportIntoCells(record, repeater, cells);
        for (std::size_t j = 0; j < kEntries; ++j) {
            // The repeater layout's row 63 is channel 61, as the radio lists it.
            const std::size_t entry = repeater && j == kEntries - 1 ? 61 : j;
            FUZZ_CHECK(cells[j] == (IsShownRow(j, repeater) ? texts[entry] : std::string("kept")));
        }
    }
    return 0;
}
