// The QX channel table file: export byte for byte, import by its reading rules.

#include "qxpage/QxTableFile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// Readable failures: the four texts instead of the object's bytes.
void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << '{' << e.channel << '|' << e.frequency << '|' << e.bandwidth << '|' << e.direction
        << '}';
}

namespace {

using QxTableFile::ListRows;

ChannelEntry Row(std::string frequency, std::string bandwidth, std::string direction) {
    return {"", std::move(frequency), std::move(bandwidth), std::move(direction)};
}

ListRows Filled(const ChannelEntry& row) {
    ListRows rows;
    rows.fill(row);
    return rows;
}

TEST(QxTableFile, ExportWritesEveryRowInItsFixedLayout) {
    ListRows rows{};
    rows[3] = Row("433.125000", "25   KHz", "Rx&Tx");
    rows[10] = Row("410.000000", "6.25 KHz", "Rx");
    rows[63] = Row("480", "12.5 KHz", "Tx"); // written as the list holds it
    const std::string file = QxTableFile::EncodeFile(rows);

    std::string expected;
    for (int r = 0; r < 64; ++r) {
        if (r == 3) {
            expected += "3       433.125000  25   KHz  Rx&Tx\r\r\n";
        } else if (r == 10) {
            expected += "10      410.000000  6.25 KHz  Rx\r\r\n";
        } else if (r == 63) {
            expected += "63      480  12.5 KHz  Tx\r\r\n";
        } else if (r < 10) {
            expected += std::to_string(r) + "           \r\r\n"; // 7 + 2 + 2 blanks
        } else {
            expected += std::to_string(r) + "          \r\r\n"; // 6 + 2 + 2 blanks
        }
    }
    EXPECT_EQ(file, expected);
}

TEST(QxTableFile, HandWrittenFileImports) {
    const std::string file = "5       433.125000  25   KHz  Rx&Tx\r\r\n"
                             "12      470.000050  12.5 KHz  Tx\r\r\n"
                             "5       450.000000  6.25 KHz  Rx\r\r\n"          // a later line wins
                             "63      4O1.000000  25 kHz Rx&Tx trailing\r\r\n" // no "KHz"
                             "64      433.125000  25   KHz  Rx&Tx\r\r\n"
                             " 7      433.125000  25   KHz  Rx&Tx\r\r\n"
                             "x8      433.125000  25   KHz  Rx&Tx\r\r\n"
                             "9       433.12500  25   KHz\r\r\n"  // 28 characters with a CR
                             "21      433.125000  25   KHz\r\r\n" // 29
                             "\r\n"
                             "30      433.125000  25   KHz  Rx&Tx\r\r\n";
    ListRows rows = Filled(Row("old", "old", "old"));
    const QxTableFile::ImportReport report = QxTableFile::ImportFile(file, rows);
    EXPECT_FALSE(report.refused);
    EXPECT_EQ(report.imported, 4);
    // Lines 4-8, and line 11 after the empty line, are told, not taken.
    EXPECT_EQ(report.skipped, 6);
    EXPECT_EQ(report.firstSkipped, 4u);
    EXPECT_EQ(rows[5], Row("450.000000", "6.25 KHz", "Rx"));
    EXPECT_EQ(rows[12], Row("470.000050", "12.5 KHz", "Tx"));
    EXPECT_EQ(rows[21], Row("433.125000", "25   KHz", ""));
    for (std::size_t r : {0, 7, 8, 9, 30, 63}) {
        EXPECT_EQ(rows[r], Row("old", "old", "old")) << r;
    }
    EXPECT_EQ(QxTableFile::SkippedMessage(report, true),
              "4 lines were imported. 6 lines were skipped (no channel line, or after the 64th "
              "line or an empty line), the first of them line 4; their rows are unchanged.");
    EXPECT_EQ(QxTableFile::SkippedMessage(report, false),
              "已导入 4 行。跳过了 6 行（不是信道行，或在第 64 行或空行之后），第一个是第 4 行；"
              "这些行对应的信道没有改变。");
}

// A file that is no table at all changes no row and says why; one with a line too many imports
// the 64 and tells of the rest.
TEST(QxTableFile, DamagedFilesAreRefusedWhole) {
    ListRows table{};
    for (std::size_t r = 0; r < 64; ++r) {
        table[r] = Row("433.125000", "25   KHz", "Rx&Tx");
    }
    const std::string exported = QxTableFile::EncodeFile(table);
    std::string random(1044, '\0');
    unsigned seed = 7;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    std::string withNul = exported;
    withNul[100] = '\0';
    const std::string orvFile = "39 34 31 6d 00 50 83 7d 18 01 d0 ff 94 18 02 00 \r\r\n"
                                "00 00 00 03 70 fb 2f 19 04 00 00 00 00 05 00 00 \r\r\n";
    struct Case {
        const char* name;
        std::string file;
        const char* problem; // the start of the English text
    };
    const std::vector<Case> refused = {
        {"empty", "", "the file is empty"},
        {"larger than the bound", std::string(QxTableFile::kMostFileBytes + 1, ' '),
         "the file is larger than any channel table file (more than 1048576"},
        {"random bytes", random, "line 1 holds bytes that are not text"},
        {"a NUL", withNul, "line 3 holds bytes that are not text"},
        {"a 1 MB line", exported + std::string(1000000, 'x'), "line 65 has 1000000 characters"},
        {"the ORV file", orvFile, "the file holds no channel line"},
        {"only short lines", "1 433\r\n2 434\r\n", "the file holds no channel line"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        ListRows rows = Filled(Row("old", "old", "old"));
        const QxTableFile::ImportReport report = QxTableFile::ImportFile(c.file, rows);
        ASSERT_TRUE(report.refused);
        EXPECT_EQ(report.refused->english.rfind(c.problem, 0), 0u) << report.refused->english;
        EXPECT_FALSE(report.refused->chinese.empty());
        EXPECT_EQ(rows, Filled(Row("old", "old", "old")));
    }
    EXPECT_EQ(QxTableFile::RefusalMessage({"文件是空的", "the file is empty"}, false),
              "频率表文件未导入，列表没有改变：文件是空的。");

    // 63 lines import as they are; a 65th line is not read, and told.
    const std::string line = "5       450.000000  6.25 KHz  Rx\r\r\n";
    for (const std::size_t lines : {63u, 65u}) {
        ListRows rows{};
        const std::size_t lineLength = exported.size() / 64; // every line has the same
        const std::string file =
            lines == 65 ? exported + line : exported.substr(0, 63 * lineLength);
        const QxTableFile::ImportReport report = QxTableFile::ImportFile(file, rows);
        EXPECT_FALSE(report.refused);
        EXPECT_EQ(report.imported, lines == 65 ? 64 : 63);
        EXPECT_EQ(report.skipped, lines == 65 ? 1 : 0);
        EXPECT_EQ(report.firstSkipped, lines == 65 ? 65u : 0u);
        EXPECT_EQ(rows[5], table[5]);
    }
}

TEST(QxTableFile, ExportedTableImportsBackAsItWas) {
    ListRows table{};
    for (std::size_t r = 0; r < 64; r += 3) {
        table[r] = Row("433.125000", r % 2 ? "12.5 KHz" : "25   KHz", r % 2 ? "Tx" : "Rx&Tx");
    }
    table[7] = Row("433.125000", "", ""); // short line: the list keeps its row
    const std::string file = QxTableFile::EncodeFile(table);

    for (const char* from : {"\r\r\n", "\r\n", "\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(from)));
        std::string converted = file;
        for (std::size_t at = converted.find("\r\r\n"); at != std::string::npos;
             at = converted.find("\r\r\n", at + 1)) {
            converted.replace(at, 3, from);
        }
        ListRows rows = Filled(Row("470.000000", "6.25 KHz", "Rx"));
        QxTableFile::ImportFile(converted, rows);
        for (std::size_t r = 0; r < 64; ++r) {
            SCOPED_TRACE(r);
            EXPECT_EQ(rows[r], r == 7 ? Row("470.000000", "6.25 KHz", "Rx") : table[r]);
        }
    }
}

TEST(QxTableFile, ParseLineShapes) {
    using QxTableFile::LineEffect;
    using QxTableFile::ParseLine;
    EXPECT_EQ(ParseLine("5           \r"), (LineEffect{5, "", "", ""}));
    EXPECT_EQ(ParseLine("12 "), (LineEffect{12, "", "", ""}));
    EXPECT_EQ(ParseLine("64          \r"), std::nullopt);
    EXPECT_EQ(ParseLine("5"), std::nullopt);
    EXPECT_EQ(ParseLine("5     x     \r"), std::nullopt);
    EXPECT_EQ(ParseLine("01      433.125000  25   KHz  Rx"),
              (LineEffect{1, "433.125000", "25   KHz", "Rx"}));
    EXPECT_EQ(ParseLine("0123456789012345678901234567890"), std::nullopt);
    EXPECT_EQ(ParseLine("01      433.125000  25   kHz  Rx"), std::nullopt);
}

} // namespace
