// The ORV channel table file against a record and text built here independently: a bit-by-bit
// checksum and stream formatting instead of the table and printf of the product.

#include "orvpage/OrvTableFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace {

using OrvTableFile::Frequencies;

std::uint32_t BitwiseCrc(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
        }
    }
    return crc;
}

void AppendLe(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

std::string ReferenceFile(const Frequencies& hertz) {
    std::vector<std::uint8_t> bytes = {'9', '4', '1', 'm'};
    for (std::size_t j = 0; j < hertz.size(); ++j) {
        bytes.push_back(static_cast<std::uint8_t>(j));
        AppendLe(bytes, static_cast<std::uint32_t>(hertz[j]));
    }
    AppendLe(bytes, BitwiseCrc(bytes));
    std::ostringstream text;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        text << std::hex << std::setw(2) << std::setfill('0') << int(bytes[k]) << ' ';
        if (k % 16 == 15) {
            text << "\r\r\n";
        }
    }
    return text.str();
}

Frequencies SampleTable() {
    Frequencies hertz{};
    for (std::size_t j = 0; j < hertz.size(); ++j) {
        // Every third entry empty, the others spread over the band.
        hertz[j] = j % 3 == 2 ? 0 : static_cast<std::int32_t>(410000000 + 1093750 * j);
    }
    hertz[63] = 480000000;
    return hertz;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(OrvTableFile, ExportMatchesTheIndependentEncoderByteForByte) {
    for (const Frequencies& hertz : {SampleTable(), Frequencies{}}) {
        const std::string file = OrvTableFile::EncodeFile(hertz);
        EXPECT_EQ(file, ReferenceFile(hertz));
        EXPECT_EQ(file.size(), OrvTableFile::kFileSize);
        // 20 line ends of CR CR LF, and the last line without one.
        EXPECT_EQ(file.substr(48, 3), "\r\r\n");
        EXPECT_EQ(file.substr(file.size() - 24, 3).back(), ' ');
        EXPECT_EQ(file.find('\n', file.size() - 24), std::string::npos);
    }
}

TEST(OrvTableFile, ImportReadsBackWhatWasExported) {
    const Frequencies hertz = SampleTable();
    const auto texts = OrvTableFile::EntryTexts(OrvTableFile::DecodeFile(ReferenceFile(hertz)));
    EXPECT_EQ(texts[0], "410.000000");
    EXPECT_EQ(texts[1], "411.093750");
    EXPECT_EQ(texts[2], "0.");
    EXPECT_EQ(texts[63], "480.000000");
    const OrvTableFile::Record record = OrvTableFile::DecodeFile(OrvTableFile::EncodeFile(hertz));
    EXPECT_EQ(record, OrvTableFile::BuildRecord(hertz));
}

// Other line ends, uppercase digits and text after a line's counted characters read the same
// record; a file that is not the record is refused, naming what is wrong.
TEST(OrvTableFile, ImportTakesTheRecordAndRefusesADamagedFile) {
    const std::string exported = ReferenceFile(SampleTable());
    const OrvTableFile::Record expected = OrvTableFile::BuildRecord(SampleTable());
    std::string upper = exported;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    // Damage at a byte k of the record, whose text starts at 3k plus two characters for every
    // line end before it.
    const auto at = [&exported](std::size_t k) { return 3 * k + 3 * (k / 16); };
    const auto spoilt = [&](std::size_t k, const char* digits) {
        std::string file = exported;
        file.replace(at(k), 2, digits);
        return file;
    };
    // Entry 5's index byte 6, with a checksum that matches: only the index is wrong.
    OrvTableFile::Record moved = expected;
    moved[4 + 5 * 5] = 6;
    const std::uint32_t crc = OrvTableFile::Checksum(moved.data(), 324);
    for (std::size_t i = 0; i < 4; ++i) {
        moved[324 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    std::string random(1044, '\0');
    unsigned seed = 11;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }

    struct Case {
        const char* name;
        std::string file;
        const char* problem; // the start of the English text; empty: the record is read
    };
    const std::vector<Case> cases = {
        {"CR LF line ends", Replace(exported, "\r\r\n", "\r\n"), ""},
        {"LF line ends", Replace(exported, "\r\r\n", "\n"), ""},
        {"uppercase digits", upper, ""},
        {"text after the 48th character of a line",
         Replace(exported, " \r\r\n", " trailing text\r\n"), ""},
        {"empty", "", "the file is empty"},
        {"20 MB, read to the bound", std::string((1 << 20) + 1, '0'),
         "the file is larger than any channel table file (more than 2088"},
        {"a 1 MB line", exported + std::string(1000000, 'f'),
         "the file is larger than any channel table file"},
        {"random bytes", random, "line 1 holds bytes that are not text"},
        {"a NUL", Replace(exported, "00 00 00 03", std::string("00 00 \0\0 03", 11)),
         "line 2 holds bytes that are not text"},
        {"the QX file", "0       433.125000  25   KHz  Rx&Tx\r\r\n", "it is not an ORV channel"},
        {"bad magic", spoilt(3, "6e"), "it is not an ORV channel table file"},
        {"cut short", exported.substr(0, 500), "the file is cut short: it holds 158 of"},
        {"an empty line in it", Replace(exported, "\r\r\n", "\r\n\r\n"), "the file is cut"},
        {"not hexadecimal", spoilt(40, "x7"), "line 3: \"x7\" is not a hexadecimal byte"},
        {"an index out of place", OrvTableFile::RecordText(moved), "entry 5 has the index byte 6"},
        {"a frequency changed", spoilt(10, "ff"), "the checksum does not match the content"},
        {"checksum bytes zero",
         Replace(exported, exported.substr(exported.size() - 12), "00 00 00 00 "),
         "the checksum does not match"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OrvTableFile::ReadResult read = OrvTableFile::ReadFile(c.file);
        if (*c.problem == '\0') {
            EXPECT_FALSE(read.problem) << read.problem->english;
            EXPECT_EQ(read.record, expected);
            continue;
        }
        ASSERT_TRUE(read.problem);
        EXPECT_EQ(read.problem->english.rfind(c.problem, 0), 0u) << read.problem->english;
        EXPECT_FALSE(read.problem->chinese.empty());
    }
    EXPECT_EQ(OrvTableFile::RefusalMessage(*OrvTableFile::ReadFile("").problem, false),
              "频率表文件未导入，频率表没有改变：文件是空的。");
}

TEST(OrvTableFile, ExportTakesTheCellsTheLayoutShows) {
    std::array<ChannelEntry, 64> channels{};
    std::array<std::string, 64> cells{};
    for (std::size_t j = 0; j < 64; ++j) {
        channels[j].frequency = "470.000000";
        cells[j] = "450.5";
    }
    cells[4] = "abc";
    const Frequencies normal = OrvTableFile::ExportFrequencies(channels, cells, false);
    const Frequencies repeater = OrvTableFile::ExportFrequencies(channels, cells, true);
    for (std::size_t j = 0; j < 64; ++j) {
        SCOPED_TRACE(j);
        const std::int32_t cell = j == 4 ? 0 : 450500000;
        EXPECT_EQ(normal[j], j % 4 < 2 ? cell : 470000000);
        EXPECT_EQ(repeater[j], cell);
    }
    cells[0] = "99999";
    EXPECT_EQ(OrvTableFile::ExportFrequencies(channels, cells, false)[0], INT32_MAX);
}

TEST(OrvTableFile, ImportFillsTheColumnsOfThePagesLayout) {
    // A file written in the repeater layout, read into a page in the normal layout.
    const OrvTableFile::Record record = OrvTableFile::BuildRecord(SampleTable());
    std::array<std::string, 64> normal{};
    normal.fill("kept");
    OrvTableFile::ImportIntoCells(record, false, normal);
    std::array<std::string, 64> repeater = normal;
    OrvTableFile::ImportIntoCells(record, true, repeater);
    const auto texts = OrvTableFile::EntryTexts(record);
    for (std::size_t j = 0; j < 64; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(normal[j], j % 4 < 2 ? texts[j] : "kept");
        // The radio lists channel 61 in row 63, and the last slot receives on it.
        EXPECT_EQ(repeater[j], texts[j == 63 ? 61 : j]);
    }
    ASSERT_NE(texts[63], texts[61]);
}

} // namespace
