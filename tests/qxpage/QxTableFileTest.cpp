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
                             "5       450.000000  6.25 KHz  Rx\r\r\n" // a later line wins
                             "63      4O1.000000  25 kHz Rx&Tx trailing\r\r\n"
                             "64      433.125000  25   KHz  Rx&Tx\r\r\n"
                             " 7      433.125000  25   KHz  Rx&Tx\r\r\n"
                             "x8      433.125000  25   KHz  Rx&Tx\r\r\n"
                             "9       433.12500  25   KHz\r\r\n"  // 28 characters with a CR
                             "21      433.125000  25   KHz\r\r\n" // 29
                             "\r\n"
                             "30      433.125000  25   KHz  Rx&Tx\r\r\n";
    ListRows rows = Filled(Row("old", "old", "old"));
    EXPECT_EQ(QxTableFile::ImportFile(file, rows), 5);
    EXPECT_EQ(rows[5], Row("450.000000", "6.25 KHz", "Rx"));
    EXPECT_EQ(rows[12], Row("470.000050", "12.5 KHz", "Tx"));
    // Without "KHz" the bandwidth is two characters and the direction the rest.
    EXPECT_EQ(rows[63], Row("4O1.000000", "25", "kHz Rx&Tx trailing"));
    EXPECT_EQ(rows[21], Row("433.125000", "25   KHz", ""));
    for (std::size_t r : {0, 7, 8, 9, 30}) {
        EXPECT_EQ(rows[r], Row("old", "old", "old")) << r;
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

TEST(QxTableFile, OnlyTheFirst64LinesAreRead) {
    std::string file;
    for (int i = 0; i < 64; ++i) {
        file += "short\r\r\n";
    }
    file += "1       433.125000  25   KHz  Rx&Tx\r\r\n";
    ListRows rows{};
    EXPECT_EQ(QxTableFile::ImportFile(file, rows), 0);
    EXPECT_EQ(rows[1], Row("", "", ""));
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
}

} // namespace
