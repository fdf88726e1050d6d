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

TEST(OrvTableFile, ImportReadingRules) {
    const std::string exported = ReferenceFile(SampleTable());
    const OrvTableFile::Record expected = OrvTableFile::BuildRecord(SampleTable());

    struct Case {
        const char* name;
        std::string file;
        bool sameRecord;
    };
    std::string zeroChecksum = exported;
    zeroChecksum.replace(zeroChecksum.size() - 12, 12, "00 00 00 00 ");
    std::string upper = exported;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string padded = Replace(exported, " \r\r\n", " trailing text\r\n");

    const std::vector<Case> cases = {
        {"CR LF line ends", Replace(exported, "\r\r\n", "\r\n"), true},
        {"LF line ends", Replace(exported, "\r\r\n", "\n"), true},
        {"uppercase digits", upper, true},
        {"text after the 48th character of a line", padded, true},
        {"checksum bytes zero", zeroChecksum, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OrvTableFile::Record record = OrvTableFile::DecodeFile(c.file);
        const auto texts = OrvTableFile::EntryTexts(record);
        EXPECT_EQ(texts, OrvTableFile::EntryTexts(expected));
        EXPECT_EQ(record == expected, c.sameRecord);
    }
}

TEST(OrvTableFile, DamagedFilesDecodeMissingDigitsAsZero) {
    const std::string exported = ReferenceFile(SampleTable());
    // Cut after byte 12: entry 1 keeps its low three bytes only.
    const auto cut = OrvTableFile::EntryTexts(OrvTableFile::DecodeFile(exported.substr(0, 3 * 13)));
    EXPECT_EQ(cut[0], "410.000000");
    EXPECT_EQ(cut[1], std::to_string(411093750 & 0xFFFFFF).insert(3, "."));
    EXPECT_EQ(cut[5], "0.");

    // An empty line ends the file: what follows is never read.
    const std::string stopped = exported.substr(0, 51) + "\r\n" + exported.substr(51);
    const auto early = OrvTableFile::DecodeFile(stopped);
    EXPECT_EQ(early[16], 0);
    EXPECT_EQ(early[15], OrvTableFile::BuildRecord(SampleTable())[15]);

    // Characters that are not hexadecimal count as 0.
    std::string junk = exported;
    junk[0] = 'x';
    junk[1] = 'g';
    EXPECT_EQ(OrvTableFile::DecodeFile(junk)[0], 0);
    EXPECT_EQ(OrvTableFile::DecodeFile("")[0], 0);
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
        EXPECT_EQ(repeater[j], texts[j]);
    }
}

} // namespace
