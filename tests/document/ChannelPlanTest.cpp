// Channel plans as spreadsheets write them, and the plan check: files written the way
// LibreOffice and Excel save CSV, every kind of error with its line, round trips of both
// families' tables, and the check's findings on hand-made plans and on the simulators' own.

#include "document/ChannelPlanCsv.h"
#include "document/PlanCheck.h"
#include "document/PlanDocument.h"
#include "document/SettingsJson.h"
#include "qxpage/QxPageLogic.h"
#include "sim/SimRadio.h"
#include "sim/SimState.h"
#include "tests/support/SimLink.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using ChannelPlanCsv::Plan;
using ChannelPlanCsv::PlanChannel;
using PlanCheck::Severity;

constexpr std::int64_t kQxStep = 50;
constexpr std::int64_t kOrvStep = 1250;

Plan ReadOk(const std::string& bytes, std::int64_t step = kQxStep) {
    const ChannelPlanCsv::ReadResult read = ChannelPlanCsv::Read(bytes, step);
    for (const ChannelPlanCsv::LineError& e : read.errors) {
        ADD_FAILURE() << e.Text(true);
    }
    return read.plan;
}

// The (line, English text) of every error.
std::vector<std::pair<int, std::string>> Errors(const std::string& bytes,
                                                std::int64_t step = kQxStep) {
    std::vector<std::pair<int, std::string>> errors;
    for (const ChannelPlanCsv::LineError& e : ChannelPlanCsv::Read(bytes, step).errors) {
        errors.emplace_back(e.line, e.english);
    }
    return errors;
}

TEST(ChannelPlanCsv, ReadsWhatSpreadsheetsWrite) {
    // LibreOffice, English locale: comma, LF, text with a comma quoted, short decimals.
    const std::string libreOffice = "channel,frequency_mhz,bandwidth_khz,direction,name,comment\n"
                                    "0,433.125,25,Rx&Tx,\"Base, north\",\n"
                                    "1,434.5,12.5,Rx,Relay,\"says \"\"hi\"\"\"\n"
                                    "2,,,,,\n";
    // Excel, German or Chinese locale: BOM, semicolon, CRLF, every text quoted, a line break
    // inside a cell, columns in another order, "Tx&Rx", a comment line, an empty row.
    const std::string excel = "\xEF\xBB\xBF"
                              "\"name\";\"direction\";\"channel\";\"bandwidth_khz\";"
                              "\"frequency_mhz\";\"comment\"\r\n"
                              "\"# written by hand\";;;;;\r\n"
                              "\"Base, north\";\"Tx&Rx\";\"0\";\"25\";\"433.125000\";\"\"\r\n"
                              ";;;;;\r\n"
                              "\"Relay\";\"Rx\";\"1\";\"12.50\";\"434.500000\";\"says "
                              "\"\"hi\"\"\"\r\n";
    // Tab separated, "sep=" line, '#' comment, CR only line ends, kHz written out.
    const std::string tabs = "sep=\t\r# plan\rchannel\tfrequency_mhz\tbandwidth_khz\tdirection"
                             "\tname\tcomment\r0\t433.125\t25 kHz\trx&tx\tBase, north\t\r"
                             "1\t434.5\t12.5\tRX\tRelay\tsays \"hi\"\r";
    Plan expected{};
    expected[0] = {"433.125000", "25   KHz", "Rx&Tx", "Base, north", ""};
    expected[1] = {"434.500000", "12.5 KHz", "Rx", "Relay", "says \"hi\""};
    for (const auto& [what, bytes, lines] :
         {std::tuple{"LibreOffice", libreOffice, std::pair{2, 3}},
          std::tuple{"Excel", excel, std::pair{3, 5}}, std::tuple{"tabs", tabs, std::pair{4, 5}}}) {
        SCOPED_TRACE(what);
        Plan want = expected;
        want[0].line = lines.first;
        want[1].line = lines.second;
        Plan got = ReadOk(bytes);
        got[2].line = 0; // LibreOffice lists channel 2 empty
        EXPECT_EQ(got, want);
    }
    // A multi-line comment counts its lines: the next record is on line 4.
    const Plan multi = ReadOk("channel,frequency_mhz,bandwidth_khz,direction,comment\n"
                              "5,433.1,25,Tx,\"two\nlines\"\n"
                              "6,433.2,25,Tx,\n");
    EXPECT_EQ(multi[5].comment, "two\nlines");
    EXPECT_EQ(multi[6].line, 4);
}

TEST(ChannelPlanCsv, NamesEveryErrorWithItsLine) {
    const std::string bad = "# plan\n"
                            "channel;frequency_mhz;bandwidth_khz;direction\n"
                            "0;481.000;25;Rx\n"        // 3: range
                            "1;433.12501;25;Rx\n"      // 4: not on the 50 Hz step
                            "2;433.1250001;25;Rx\n"    // 5: not whole hertz
                            "3;abc;25;Rx\n"            // 6: no number
                            "4;433,125;25;Rx\n"        // 7: decimal comma
                            "64;433.125;25;Rx\n"       // 8: channel out of range
                            "5;433.125;20;Rx\n"        // 9: bandwidth
                            "6;433.125;25;Both\n"      // 10: direction
                            "7;433.125;;\n"            // 11: both missing
                            "5;433.125;25;Rx\n"        // 12: channel 5 again
                            "8;433.125;25;Rx;extra\n"; // 13: more fields than columns
    const std::vector<std::pair<int, std::string>> want{
        {3, "481.000 MHz is outside 410–480 MHz"},
        {4, "433.12501 MHz is not on a whole 50 Hz step"},
        {5, "frequency \"433.1250001\" is not a whole number of hertz"},
        {6, "frequency \"abc\" is not a number of MHz"},
        {7, "frequency \"433,125\" has a decimal comma; write it with a point (433.125)"},
        {8, "channel \"64\" is not a whole number from 0 to 63"},
        {9, "bandwidth \"20\" is not 6.25, 12.5 or 25 kHz"},
        {10, "direction \"Both\" is not Rx, Tx or Rx&Tx"},
        {11, "a channel with a frequency needs a bandwidth_khz (6.25, 12.5 or 25)"},
        {11, "a channel with a frequency needs a direction (Rx, Tx or Rx&Tx)"},
        {12, "channel 5 is already given on line 9"},
        {13, "more fields than the header has named columns (write decimals with a point, not a "
             "comma)"}};
    EXPECT_EQ(Errors(bad), want);
    // The ORV step is 1250 Hz: what passes on a QX page is refused there.
    EXPECT_EQ(Errors("channel,frequency_mhz,bandwidth_khz,direction\n0,433.1251,25,Rx\n", kOrvStep),
              (std::vector<std::pair<int, std::string>>{
                  {2, "433.1251 MHz is not on a whole 1250 Hz step"}}));
    EXPECT_EQ(ChannelPlanCsv::LineError({12, "超出", "outside"}).Text(false), "第 12 行：超出");
}

TEST(ChannelPlanCsv, RefusesFilesItCannotRead) {
    using Want = std::vector<std::pair<int, std::string>>;
    // Saved by a spreadsheet in the legacy Chinese code page, and as "Unicode text".
    EXPECT_EQ(
        Errors("channel,frequency_mhz,bandwidth_khz,direction,name\n0,433.1,25,Rx,\xB1\xB1\n"),
        (Want{{2, "not UTF-8 text (save the file as \"CSV UTF-8\")"}}));
    EXPECT_EQ(Errors(std::string("c\0h\0", 4)),
              (Want{{1, "not UTF-8 text (save the file as \"CSV UTF-8\")"}}));
    EXPECT_EQ(Errors("433.125,25,Rx\n"),
              (Want{{0, "the file has no header line naming the columns channel, frequency_mhz, "
                        "bandwidth_khz and direction"}}));
    EXPECT_EQ(Errors("channel,frequency_mhz,bandwith_khz,direction,channel\n"),
              (Want{{1, "unknown column \"bandwith_khz\" (the columns are channel, frequency_mhz, "
                        "bandwidth_khz, direction, name, comment)"},
                    {1, "column \"channel\" is given twice"},
                    {1, "the column \"bandwidth_khz\" is missing"}}));
    EXPECT_EQ(Errors("channel,frequency_mhz,bandwidth_khz,direction\n# nothing yet\n"),
              (Want{{0, "the file lists no channel"}}));
    EXPECT_EQ(Errors("channel,frequency_mhz,bandwidth_khz,direction,name\n0,433.1,25,Rx,ok\n"
                     "1,433.2,25,Rx,\"open\n2,433.3,25,Rx,x\n"),
              (Want{{3, "a quote is not closed; nothing from here on can be read"}}));
}

ChannelEntry Listed(int n, std::string frequency, std::string bandwidth, std::string direction) {
    return {std::to_string(n), std::move(frequency), std::move(bandwidth), std::move(direction)};
}

TEST(ChannelPlanCsv, ExportThenImportGivesTheSameTable) {
    std::array<ChannelEntry, 64> table{};
    for (int n = 0; n < 64; ++n) {
        table[static_cast<std::size_t>(n)].channel = std::to_string(n);
    }
    table[0] = Listed(0, "410.000000", "6.25 KHz", "Rx");
    table[7] = Listed(7, "433.125050", "12.5 KHz", "Tx");      // a QX step
    table[63] = Listed(61, "480.000000", "25   KHz", "Rx&Tx"); // an ORV row 63 lists channel 61
    for (const std::int64_t step : {kQxStep, kOrvStep}) {
        SCOPED_TRACE(step);
        if (step == kOrvStep) {
            table[7].frequency = "433.125000";
        }
        Plan plan = ChannelPlanCsv::PlanOf(table);
        plan[0].name = "北站, \"A\"";
        plan[7].comment = "line one\r\nline two";
        const std::string csv = ChannelPlanCsv::Write(plan);
        const Plan read = ReadOk(csv, step);
        std::array<ChannelEntry, 64> back = table;
        for (ChannelEntry& row : back) {
            row.frequency = row.bandwidth = row.direction = "changed";
        }
        ChannelPlanCsv::ApplyTo(read, back);
        EXPECT_EQ(back, table);
        EXPECT_EQ(read[0].name, plan[0].name);
        EXPECT_EQ(read[7].comment, "line one\nline two"); // line ends as the reader counts them
        // A spreadsheet opens it as UTF-8 and sees the header and 64 rows, one per line.
        EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"
                                    "channel,frequency_mhz,bandwidth_khz,direction,name,comment\r\n"
                                    "0,410.000000,6.25,Rx,\"北站, \"\"A\"\"\",\r\n"));
        EXPECT_NE(csv.find("\r\n1,,,,,\r\n"), std::string::npos);
    }
}

// A plan's names and comments stay with the document they were imported into: through its JSON
// and out again in the next plan exported; a document without them is written as before.
TEST(ChannelPlanCsv, NamesAndCommentsStayWithTheDocument) {
    SettingsDocument document;
    document.family = FAMILY_QX;
    const QByteArray bare = SettingsToJson(document.settings, document.family);
    EXPECT_EQ(SettingsToJson(document), bare);

    const std::string csv = "channel,frequency_mhz,bandwidth_khz,direction,name,comment\n"
                            "3,433.125,25,Rx&Tx,北站,\"mast, 12 m\"\n"
                            "4,,,,spare,\n";
    ASSERT_TRUE(Doc::ImportPlanCsv(csv, document).refused.empty());
    EXPECT_EQ(document.notes[3], (ChannelNote{"北站", "mast, 12 m"}));
    EXPECT_EQ(document.notes[4], (ChannelNote{"spare", ""}));

    SettingsDocument back;
    ASSERT_TRUE(SettingsFromJson(SettingsToJson(document), &back).isEmpty());
    EXPECT_EQ(back.notes, document.notes);
    EXPECT_EQ(back.settings.channels, document.settings.channels);
    const std::string again = Doc::PlanCsvOf(back);
    EXPECT_NE(again.find("\r\n3,433.125000,25,Rx&Tx,北站,\"mast, 12 m\"\r\n"), std::string::npos)
        << again;
    EXPECT_NE(again.find("\r\n4,,,,spare,\r\n"), std::string::npos);

    // A name that is not text is named, like any other bad field.
    QByteArray spoiled = SettingsToJson(document);
    spoiled.replace("\"spare\"", "5");
    EXPECT_EQ(SettingsFromJson(spoiled, &back),
              QStringList{QStringLiteral("channels[4].name: must be a string")});
}

// ---- The plan check.

std::vector<std::pair<Severity, std::string>> Findings(const PlanCheck::PlanInput& in) {
    std::vector<std::pair<Severity, std::string>> out;
    for (const PlanCheck::Finding& f : PlanCheck::Check(in)) {
        out.emplace_back(f.severity, f.Text(true));
    }
    return out;
}

TEST(PlanCheck, FindsWhatCannotWorkAndWhatMayNot) {
    std::array<ChannelEntry, 64> table{};
    // Slot 1 (rows 0-3): the repeater pair on one frequency; Tx/Rx 6.25 kHz apart at 12.5 kHz.
    table[0] = Listed(0, "433.000000", "12.5 KHz", "Tx");
    table[1] = Listed(1, "433.006250", "12.5 KHz", "Rx");
    table[2] = Listed(2, "434.000000", "25   KHz", "Rx&Tx");
    table[3] = Listed(3, "434.000000", "25   KHz", "Rx&Tx");
    // Slot 2: one frequency at two bandwidths; slot 3 is the current one and is empty.
    table[4] = Listed(4, "440.000000", "25   KHz", "Tx");
    table[5] = Listed(5, "440.000000", "12.5 KHz", "Rx");
    table[20] = Listed(20, "481.000000", "25   KHz", "Rx"); // outside the band
    table[61] = Listed(61, "450.000000", "25   KHz", "Rx&Tx");
    using F = std::vector<std::pair<Severity, std::string>>;
    const F normal{
        {Severity::Error, "channel 5: same frequency as channel 4 in slot 2 but another "
                          "bandwidth: the two ends cannot hear each other cleanly"},
        {Severity::Error, "channel 8: the slot in use points to this channel, but it is empty"},
        {Severity::Error, "channel 9: the slot in use points to this channel, but it is empty"},
        {Severity::Error, "channel 20: 481.000000 MHz is outside 410–480 MHz"},
        {Severity::Advice, "channel 1: only 6.25 kHz from channel 0, narrower than the "
                           "bandwidth: the two disturb each other"}};
    EXPECT_EQ(Findings(PlanCheck::OrvPlan(table, false, 3)), normal);

    // The repeater layout uses all four rows of a slot, and row 63 must repeat row 61.
    F repeater = normal;
    repeater.insert(repeater.begin() + 3,
                    {{Severity::Error, "channel 10: the slot in use points to this channel, but "
                                       "it is empty"},
                     {Severity::Error, "channel 11: the slot in use points to this channel, but "
                                       "it is empty"}});
    repeater.insert(repeater.begin() + 6,
                    {Severity::Error, "channel 63: in the repeater layout channel 63 is channel "
                                      "61 (the last slot receives on channel 61); the two must "
                                      "be the same"});
    repeater.push_back({Severity::Advice, "channel 3: slot 1's repeater sends and receives on one "
                                          "frequency (channel 2): that works only "
                                          "store-and-forward"});
    EXPECT_EQ(Findings(PlanCheck::OrvPlan(table, true, 3)), repeater);
    table[63] = table[61];
    table[63].channel = "61";
    EXPECT_EQ(Findings(PlanCheck::OrvPlan(table, true, 3)).size(), repeater.size() - 1);

    // A QX module: main channels 0 and 1 as chosen, the repeater's only when in use.
    EXPECT_EQ(Findings(PlanCheck::QxPlan(table, 0, 1, 9, 9, false)),
              (F{{Severity::Error, "channel 20: 481.000000 MHz is outside 410–480 MHz"},
                 {Severity::Advice, "channel 1: only 6.25 kHz from channel 0, narrower than the "
                                    "bandwidth: the two disturb each other"}}));
    EXPECT_EQ(Findings(PlanCheck::QxPlan(table, 4, 5, 9, 9, true)),
              (F{{Severity::Error, "channel 5: same frequency as channel 4 in slot 1 but another "
                                   "bandwidth: the two ends cannot hear each other cleanly"},
                 {Severity::Error, "channel 9: the slot in use points to this channel, but it "
                                   "is empty"},
                 {Severity::Error, "channel 20: 481.000000 MHz is outside 410–480 MHz"}}));
}

TEST(PlanCheck, TellsTheFileLineAndBothLanguages) {
    const ChannelPlanCsv::ReadResult read = ChannelPlanCsv::Read(
        "channel,frequency_mhz,bandwidth_khz,direction\n\n4,433.1,25,Rx\n5,433.11,25,Rx\n",
        kOrvStep);
    ASSERT_TRUE(read.Ok());
    std::array<ChannelEntry, 64> table{};
    ChannelPlanCsv::ApplyTo(read.plan, table);
    PlanCheck::PlanInput in = PlanCheck::OrvPlan(table, false, 0);
    for (std::size_t n = 0; n < 64; ++n) {
        in.lines[n] = read.plan[n].line;
    }
    const std::vector<PlanCheck::Finding> found = PlanCheck::Check(in);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_FALSE(PlanCheck::HasErrors(found));
    EXPECT_EQ(PlanCheck::ReportText(found, Severity::Advice, true),
              "line 4 (channel 5): only 10 kHz from channel 4, narrower than the bandwidth: the "
              "two disturb each other");
    EXPECT_EQ(PlanCheck::ReportText(found, Severity::Advice, false),
              "第 4 行（频道 5）：与频道 4 只相隔 10 kHz，比带宽窄，会互相干扰");
    EXPECT_EQ(PlanCheck::ReportText(found, Severity::Error, true), "");
}

// The table a whole read of a simulated radio in its factory state gives.
std::array<ChannelEntry, 64> SimulatorTable(RadioFamily family) {
    CSimRadio radio(family);
    CSimLink link(radio, family);
    link.Escape();
    EXPECT_EQ(link.readsFinished, 1);
    return link.settings.channels;
}

TEST(PlanCheck, SimulatorsDefaultPlansGiveNoFinding) {
    const SimState orv = DefaultSimState(FAMILY_ORV);
    const std::array<ChannelEntry, 64> orvTable = SimulatorTable(FAMILY_ORV);
    ASSERT_FALSE(orvTable[0].frequency.empty());
    // Its mode is the normal layout; the repeater layout is checked as well, for a user who
    // switches to a repeater mode.
    EXPECT_EQ(Findings(PlanCheck::OrvPlan(orvTable, false, orv.currentChannel)),
              (std::vector<std::pair<Severity, std::string>>{}));

    const SimState qx = DefaultSimState(FAMILY_QX);
    const auto reg = [&](int n) { return qx.registers.at(n); };
    const bool repeater = QxPageLogic::EnablingRule(reg(186), reg(101), reg(141)).repeater;
    const std::array<ChannelEntry, 64> qxTable = SimulatorTable(FAMILY_QX);
    EXPECT_EQ(
        Findings(PlanCheck::QxPlan(qxTable, reg(131), reg(132), reg(191), reg(192), repeater)),
        (std::vector<std::pair<Severity, std::string>>{}));
    // Their tables written and read as CSV come back unchanged.
    for (const auto& [table, step] : {std::pair{orvTable, kOrvStep}, std::pair{qxTable, kQxStep}}) {
        std::array<ChannelEntry, 64> back = table;
        ChannelPlanCsv::ApplyTo(ReadOk(ChannelPlanCsv::Write(ChannelPlanCsv::PlanOf(table)), step),
                                back);
        EXPECT_EQ(back, table);
    }
}

} // namespace
