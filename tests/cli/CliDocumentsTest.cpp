// The commands that take a settings document, in-process: write refusing a document before any
// port is opened, and export / import against the pages' table-file functions.

#include "cli/CliCommands.h"
#include "document/DocumentSet.h"
#include "document/SettingsJson.h"
#include "orvpage/OrvTableFile.h"
#include "qxpage/QxTableFile.h"
#include "tests/support/CliRun.h"
#include "tests/support/JsonEdit.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

using Result = CliRunResult;

Result RunCli(const QStringList& args) {
    return RunCliInProcess(args);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// An ORV radio in BMK transparent mode (normal layout) with a few channels listed.
RadioSettings OrvRadio() {
    RadioSettings s;
    s.orv.s186 = 1;
    s.orv.s103 = 3;
    s.orv.s105 = "12";
    s.orvCurrentChannel = 3;
    s.orvPortRate = 7;
    s.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    s.channels[1] = {"1", "434.500000", "12.5 KHz", "Rx"};
    s.channels[2] = {"2", "440.000000", "6.25 KHz", "Tx"}; // repeater row: not in this layout
    s.channels[5] = {"5", "470.001250", "25   KHz", "Tx&Rx"};
    return s;
}

// A QX module in transparent mode with complete and incomplete rows.
RadioSettings QxRadio() {
    RadioSettings s;
    s.qx.s103 = 5;
    s.qx.s125 = 2;
    s.qx.s105 = 9;
    s.qx.s108 = 25;
    s.qx.s102 = 4;
    s.qx.s110 = 1;
    s.channels[0] = {"0", "410.000050", "6.25 KHz", "Rx"};
    s.channels[3] = {"3", "433.125000", "25   KHz", "Rx&Tx"};
    s.channels[7] = {"7", "479.999950", "12.5 KHz", "Tx"};
    s.channels[9] = {"9", "450.000000", "", ""}; // incomplete: deleted on write
    return s;
}

QJsonObject Json(const RadioSettings& settings, RadioFamily family) {
    return QJsonDocument::fromJson(SettingsToJson(settings, family)).object();
}

QByteArray Bytes(const QJsonObject& object) {
    return QJsonDocument(object).toJson();
}

// A valid document gets as far as the port (status 2 for a port that does not exist); every
// invalid one ends with 6 before it, naming each bad field.
TEST(CliDocuments, AnInvalidDocumentIsRefusedBeforeThePortWithEveryFieldNamed) {
    struct Case {
        const char* what;
        RadioFamily family;
        std::function<void(QJsonObject&)> spoil;
        QStringList fields;
    };
    const std::vector<Case> cases = {
        {"valid ORV", FAMILY_ORV, [](QJsonObject&) {}, {}},
        {"valid QX", FAMILY_QX, [](QJsonObject&) {}, {}},
        {"document faults",
         FAMILY_ORV,
         [](QJsonObject& d) {
             SetRegister(d, "orv", "s103", "3"); // every kind: SettingsJsonTest
             d["comment"] = "x";
         },
         {"orv.s103: ", "comment: "}},
        {"ORV Set problems",
         FAMILY_ORV,
         [](QJsonObject& d) {
             SetChannel(d, 0, {{"frequency", "500.000000"}});
             SetChannel(d, 1, {{"frequency", "433.1251"}});
             SetChannel(d, 4, {{"bandwidth", "30 KHz"}});
             SetRegister(d, "orv", "s105", "256");
         },
         {"channels[0].frequency \"500.000000\": ", "channels[1].frequency \"433.1251\": ",
          "channels[4].bandwidth \"30 KHz\": ", "orv.s105 \"256\": "}},
        {"ORV mode the page cannot show",
         FAMILY_ORV,
         [](QJsonObject& d) { SetRegister(d, "orv", "s128", 1); },
         {"mode (orv.s128"}},
        {"QX Set problems",
         FAMILY_QX,
         [](QJsonObject& d) {
             SetChannel(d, 3, {{"direction", "both"}});
             SetChannel(d, 7, {{"frequency", "433.12501"}});
             SetRegister(d, "qx", "s108", 19);
             SetRegister(d, "qx", "s131", 64);
         },
         {"channels[3].direction \"both\": ", "channels[7].frequency \"433.12501\": ",
          "qx.s108 19: ", "qx.s131 64: "}},
        {"QX without a preset",
         FAMILY_QX,
         [](QJsonObject& d) { SetRegister(d, "qx", "s186", 3); },
         {"preset (qx.s186"}},
        {"other family",
         FAMILY_QX,
         [](QJsonObject& d) { d = Json(OrvRadio(), FAMILY_ORV); },
         {"family: the document is for orv, not qx"}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QJsonObject doc = Json(c.family == FAMILY_ORV ? OrvRadio() : QxRadio(), c.family);
        c.spoil(doc);
        Put(path, Bytes(doc));
        const Result r = RunCli({"write", "--port", dir.filePath("no-such-port"), "--family",
                                 c.family == FAMILY_ORV ? "orv" : "qx", "--settings", path});
        if (c.fields.isEmpty()) {
            EXPECT_EQ(r.status, Cli::kPortUnavailable) << r.err.toStdString();
            continue;
        }
        EXPECT_EQ(r.status, Cli::kInvalidDocument) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("Cannot open serial port")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("nothing was sent")) << r.err.toStdString();
        for (const QString& field : c.fields) {
            EXPECT_TRUE(r.err.contains("  " + field)) << field.toStdString() << "\n"
                                                      << r.err.toStdString();
        }
        // One line per problem, no more.
        EXPECT_EQ(r.err.count("\n  "), c.fields.size()) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // No file at all.
    const Result missing =
        RunCli({"write", "--port", "x", "--family", "orv", "--settings", dir.filePath("none")});
    EXPECT_EQ(missing.status, Cli::kInvalidDocument);
    EXPECT_TRUE(missing.err.contains("Cannot read " + dir.filePath("none")));
}

// The document as the page would prepare it: the same plan as the page logic gives for the
// controls the page fills from it.
TEST(CliDocuments, TheWriteIsPreparedFromTheDocumentAsThePageWould) {
    SettingsDocument orv{FAMILY_ORV, OrvRadio()};
    const Doc::PreparedWrite orvWrite = Doc::PrepareWrite(orv);
    ASSERT_TRUE(orvWrite.problems.isEmpty()) << orvWrite.problems.join('\n').toStdString();
    EXPECT_EQ(orvWrite.orv.program[0], (ChannelEntry{"0", "433125000", "2", "2"}));
    EXPECT_EQ(orvWrite.orv.program[1], (ChannelEntry{"1", "434500000", "1", "0"}));
    // Row 5 is the second row of list row 1 (table rows 4 and 5): program row 3.
    EXPECT_EQ(orvWrite.orv.program[3], (ChannelEntry{"5", "470001250", "2", "2"}));
    EXPECT_EQ(orvWrite.orv.program[2], (ChannelEntry{"4", "0", "2", "2"}));
    EXPECT_EQ(orvWrite.orv.address, "12");
    EXPECT_EQ(orvWrite.orv.currentChannel, 3);
    EXPECT_EQ(orvWrite.orv.portRateIndex, 7);
    EXPECT_EQ(orvWrite.orv.protocol, 0); // BMK transparent, its first mode
    EXPECT_EQ(orvWrite.orv.modeIndex, 0);

    // Port-rate code 9 (4800) is the list's last item.
    orv.settings.orvPortRate = 9;
    EXPECT_EQ(Doc::PrepareWrite(orv).orv.portRateIndex, 8);

    const SettingsDocument qx{FAMILY_QX, QxRadio()};
    const Doc::PreparedWrite qxWrite = Doc::PrepareWrite(qx);
    ASSERT_TRUE(qxWrite.problems.isEmpty()) << qxWrite.problems.join('\n').toStdString();
    EXPECT_EQ(qxWrite.qx.program[3], (ChannelEntry{"3", "433125000", "2", "2"}));
    EXPECT_EQ(qxWrite.qx.program[9], (ChannelEntry{"9", "0", "0", "0"}));
    EXPECT_EQ(qxWrite.qx.powerIndex, 5);
    EXPECT_EQ(qxWrite.qx.dataFormatIndex, 0);
    EXPECT_EQ(qxWrite.qx.unitAddress, 9);
}

struct TableCase {
    const char* family;
    RadioSettings settings;
    std::string expected; // the file as the page's export writes it
};

std::vector<TableCase> TableCases() {
    const RadioSettings orv = OrvRadio();
    OrvTableFile::Frequencies hertz{};
    hertz[0] = 433125000;
    hertz[1] = 434500000;
    hertz[2] = 440000000; // rows the layout does not show still carry what the radio listed
    hertz[5] = 470001250;
    QxTableFile::ListRows rows = QxRadio().channels;
    return {{"orv", orv, OrvTableFile::EncodeFile(hertz)},
            {"qx", QxRadio(), QxTableFile::EncodeFile(rows)}};
}

TEST(CliDocuments, ExportWritesThePagesFileWholeAndReadOnly) {
    QTemporaryDir dir;
    for (const TableCase& c : TableCases()) {
        SCOPED_TRACE(c.family);
        const RadioFamily family = QString(c.family) == "orv" ? FAMILY_ORV : FAMILY_QX;
        const QString settings = dir.filePath(QString(c.family) + ".json");
        const QString table = dir.filePath(QString(c.family) + ".tb");
        Put(settings, SettingsToJson(c.settings, family));
        const Result r =
            RunCli({"export", "--family", c.family, "--settings", settings, "--output", table});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(Contents(table).toStdString(), c.expected);
        EXPECT_EQ(QFileInfo(table).permissions() &
                      (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
                  QFileDevice::Permissions());

        // An earlier export is never replaced.
        const Result again =
            RunCli({"export", "--family", c.family, "--settings", settings, "--output", table});
        EXPECT_EQ(again.status, Cli::kOutputFailed);
        EXPECT_TRUE(again.err.contains("read-only")) << again.err.toStdString();
        EXPECT_EQ(Contents(table).toStdString(), c.expected);
    }
    // A file that cannot be written, and a document that cannot be used: no file at all.
    Put(dir.filePath("bad.json"), "{}");
    const QString never = dir.filePath("never.tb");
    EXPECT_EQ(RunCli({"export", "--family", "qx", "--settings", dir.filePath("bad.json"),
                      "--output", never})
                  .status,
              Cli::kInvalidDocument);
    EXPECT_EQ(RunCli({"export", "--family", "orv", "--settings", dir.filePath("orv.json"),
                      "--output", dir.filePath("no/such/dir/x.tb")})
                  .status,
              Cli::kOutputFailed);
    EXPECT_EQ(RunCli({"export", "--family", "orv", "--settings", dir.filePath("orv.json"),
                      "--output", "/dev/full"})
                  .status,
              Cli::kOutputFailed);
    EXPECT_FALSE(QFileInfo::exists(never));
}

SettingsDocument ParseDocument(const QString& json) {
    SettingsDocument document;
    const QStringList problems = SettingsFromJson(json.toUtf8(), &document);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    return document;
}

TEST(CliDocuments, ImportPutsTheTableIntoTheDocumentsChannels) {
    QTemporaryDir dir;
    for (const TableCase& c : TableCases()) {
        SCOPED_TRACE(c.family);
        const RadioFamily family = QString(c.family) == "orv" ? FAMILY_ORV : FAMILY_QX;
        const QString table = dir.filePath(QString(c.family) + ".tb");
        Put(table, QByteArray::fromStdString(c.expected));

        // Into the document it came from: nothing changes, except that the ORV list shows an
        // empty entry of the file as "0.".
        const QString settings = dir.filePath(QString(c.family) + ".json");
        Put(settings, SettingsToJson(c.settings, family));
        const Result back =
            RunCli({"import", "--family", c.family, "--table", table, "--settings", settings});
        ASSERT_EQ(back.status, 0) << back.err.toStdString();
        RadioSettings expected = c.settings;
        for (std::size_t row = 0; family == FAMILY_ORV && row < 64; ++row) {
            if (OrvTableFile::IsShownRow(row, false) && expected.channels[row].frequency.empty()) {
                expected.channels[row].frequency = "0.";
            }
        }
        EXPECT_EQ(ParseDocument(back.out).settings, expected);

        // Into an empty document: the file's entries as the page's list would show them.
        const QString output = dir.filePath(QString(c.family) + "-imported.json");
        const Result fresh =
            RunCli({"import", "--family", c.family, "--table", table, "--output", output});
        ASSERT_EQ(fresh.status, 0) << fresh.err.toStdString();
        EXPECT_TRUE(fresh.out.isEmpty());
        const SettingsDocument imported = ParseDocument(Contents(output));
        EXPECT_EQ(imported.family, family);
        const auto& channels = imported.settings.channels;
        if (family == FAMILY_ORV) {
            // The normal layout shows rows 4r and 4r + 1; an empty entry shows as "0.".
            EXPECT_EQ(channels[0].frequency, "433.125000");
            EXPECT_EQ(channels[5].frequency, "470.001250");
            EXPECT_EQ(channels[4].frequency, "0.");
            EXPECT_EQ(channels[2].frequency, "");
        } else {
            EXPECT_EQ(channels[3], (ChannelEntry{"", "433.125000", "25   KHz", "Rx&Tx"}));
            EXPECT_EQ(channels[7].frequency, "479.999950");
            EXPECT_EQ(channels[9], ChannelEntry{}); // an incomplete row is too short to read
        }
        // What was imported is a document the other commands take.
        EXPECT_EQ(RunCli({"export", "--family", c.family, "--settings", output, "--output",
                          dir.filePath(QString(c.family) + "-again.tb")})
                      .status,
                  0);
    }
}

TEST(CliDocuments, AnOrvImportFillsTheRowsOfTheDocumentsLayout) {
    // QZ transparent repeater mode: list rows show table rows 4r..4r + 3.
    RadioSettings repeater;
    repeater.orv.s103 = 5;
    repeater.orv.s141 = 1;
    repeater.orv.s105 = "1";
    repeater.orvCurrentChannel = 1;
    ASSERT_TRUE(Doc::OrvRepeaterLayoutOf(repeater));
    OrvTableFile::Frequencies hertz{};
    for (std::size_t j = 0; j < hertz.size(); ++j) {
        hertz[j] = static_cast<std::int32_t>(410000000 + 1250 * j);
    }
    QTemporaryDir dir;
    Put(dir.filePath("t.tb"), QByteArray::fromStdString(OrvTableFile::EncodeFile(hertz)));
    for (const bool inRepeater : {true, false}) {
        RadioSettings settings = repeater;
        if (!inRepeater) {
            settings.orv.s141 = 0; // the same protocol's normal mode
        }
        Put(dir.filePath("s.json"), SettingsToJson(settings, FAMILY_ORV));
        const Result r = RunCli({"import", "--family", "orv", "--table", dir.filePath("t.tb"),
                                 "--settings", dir.filePath("s.json")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const SettingsDocument imported = ParseDocument(r.out);
        EXPECT_EQ(imported.settings.channels[1].frequency, "410.001250");
        EXPECT_EQ(imported.settings.channels[62].frequency, inRepeater ? "410.077500" : "");
    }
    EXPECT_EQ(RunCli({"import", "--family", "orv", "--table", dir.filePath("none.tb")}).status,
              Cli::kInvalidDocument);
}

} // namespace
