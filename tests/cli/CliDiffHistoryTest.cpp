// "diff" on hand-made pairs of documents and "history" on a folder of kept reads, in-process.

#include "document/History.h"
#include "document/SettingsJson.h"
#include "tests/support/CliRun.h"
#include "tests/support/JsonEdit.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

QJsonObject QxDocument() {
    RadioSettings settings;
    settings.qx = {1, 0, 0, 5, 0, 2, 1, 2, 3, 4, 9, 25, 1, 7, 1};
    settings.channels[3] = {"3", "433.125000", "25   KHz", "Rx&Tx"};
    return QJsonDocument::fromJson(SettingsToJson(settings, FAMILY_QX)).object();
}

QString Save(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

struct DiffCase {
    const char* what;
    std::function<QByteArray()> second; // the B document; A is QxDocument()
    int status;
    QString out;
    QString err; // contained in the error output
};

TEST(CliDiff, AnswersAsDiffDoes) {
    const QByteArray a = QJsonDocument(QxDocument()).toJson();
    const std::vector<DiffCase> cases = {
        {"equal documents, written differently",
         [] { return QJsonDocument(QxDocument()).toJson(QJsonDocument::Compact); }, 0, "", ""},
        {"registers and rows",
         [] {
             QJsonObject b = QxDocument();
             SetRegister(b, "qx", "s102", 5);
             SetChannel(b, 3, {{"frequency", "433.250000"}, {"direction", "Rx"}});
             SetChannel(b, 4,
                        {{"channel", "4"},
                         {"frequency", "434.000000"},
                         {"bandwidth", "6.25 KHz"},
                         {"direction", "Tx"}});
             return QJsonDocument(b).toJson();
         },
         1,
         "S102 serial port rate: 9600 -> 19200\n"
         "channel 3: 433.125 MHz -> 433.250 MHz\n"
         "channel 3 direction: Rx&Tx -> Rx\n"
         "channel 4: added, 434.000 MHz, 6.25 kHz, Tx\n",
         ""},
        {"a deleted row",
         [] {
             QJsonObject b = QxDocument();
             SetChannel(b, 3, {{"channel", ""}, {"frequency", ""}});
             return QJsonDocument(b).toJson();
         },
         1, "channel 3: deleted\n", ""},
        {"no settings document", [] { return QByteArray("{\"family\": \"qx\""); }, 2, "",
         "not a JSON document"},
        {"a newer layout",
         [] {
             QJsonObject b = QxDocument();
             b["format"] = 3;
             return QJsonDocument(b).toJson();
         },
         2, "", "format: this document is version 3; this program reads version 1 and older"},
    };
    QTemporaryDir dir;
    const QString first = Save(dir, "a.json", a);
    for (const DiffCase& c : cases) {
        const QString second = Save(dir, "b.json", c.second());
        const CliRunResult result = RunCliInProcess({"diff", first, second});
        EXPECT_EQ(result.status, c.status) << c.what << "\n" << result.err.toStdString();
        EXPECT_EQ(result.out, c.out) << c.what;
        EXPECT_TRUE(result.err.contains(c.err)) << c.what << "\n" << result.err.toStdString();
        if (!c.err.isEmpty()) {
            EXPECT_TRUE(result.err.contains(second)) << c.what; // the bad file is named
        }
    }
}

TEST(CliDiff, WrongUsageIsTroubleToo) {
    QTemporaryDir dir;
    const QString a = Save(dir, "a.json", QJsonDocument(QxDocument()).toJson());
    for (const QStringList& args :
         {QStringList{"diff", a}, QStringList{"diff", a, a, a}, QStringList{"diff", "--bogus"},
          QStringList{"diff", a, dir.filePath("missing.json")}}) {
        EXPECT_EQ(RunCliInProcess(args).status, 2) << args.join(' ').toStdString();
    }
}

TEST(CliHistory, ListsTheKeptReadsNewestFirst) {
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    SettingsDocument orv{FAMILY_ORV, {}};
    orv.settings.orvCurrentChannel = 1;
    QString error;
    const QString older = Doc::KeepRead(SettingsDocument{FAMILY_QX, {}}, "/dev/pts/7", &error);
    const QString newer = Doc::KeepRead(orv, "ttyUSB0", &error);
    ASSERT_FALSE(newer.isEmpty()) << error.toStdString();
    // Not the history's: never listed.
    QFile stray(QDir(Doc::HistoryFolder()).filePath("mine.json"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));

    const CliRunResult result = RunCliInProcess({"history"});
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << result.out.toStdString();
    EXPECT_TRUE(lines[0].contains("  orv  ttyUSB0  " + newer)) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("  qx   pts-7  " + older)) << lines[1].toStdString();
}

} // namespace
