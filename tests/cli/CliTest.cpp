// orvconf-cli's commands in-process with captured streams: usage and bad input, help, output that
// cannot be written, ports that are no serial port, documents refused before the port is opened,
// export, import and diff. The radio's side runs end to end (CliEndToEndTest).

#include "base/Timing.h"
#include "base/Version.h"
#include "cli/CheckedOutput.h"
#include "cli/CliCommands.h"
#include "document/DocumentSet.h"
#include "orvpage/OrvTableFile.h"
#include "qxpage/QxTableFile.h"
#include "sim/SimServer.h"
#include "tests/support/BadPorts.h"
#include "tests/support/CliRun.h"
#include "tests/support/FileBytes.h"
#include "tests/support/JsonEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace Cli;

QString Put(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return file.fileName();
}

// An ORV radio in BMK transparent mode (normal layout) with a few channels listed.
RadioSettings OrvRadio() {
    RadioSettings s;
    s.orv = {0, 1, 0, 3, 0, 0, 0, 0, "12"};
    s.orvCurrentChannel = 3;
    s.orvPortRate = 7;
    s.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    s.channels[2] = {"2", "440.000000", "6.25 KHz", "Tx"}; // repeater row: not in this layout
    s.channels[5] = {"5", "470.001250", "25   KHz", "Tx&Rx"};
    return s;
}

// A QX module in transparent mode with complete and incomplete rows.
RadioSettings QxRadio() {
    RadioSettings s;
    s.qx = {0, 0, 0, 5, 0, 2, 0, 0, 0, 0, 9, 25, 0, 0, 1};
    s.channels[3] = {"3", "433.125000", "25   KHz", "Rx&Tx"};
    s.channels[7] = {"7", "479.999950", "12.5 KHz", "Tx"};
    s.channels[9] = {"9", "450.000000", "", ""}; // incomplete: deleted on write
    return s;
}

QJsonObject Json(const RadioSettings& settings, RadioFamily family) {
    return QJsonDocument::fromJson(SettingsToJson(settings, family)).object();
}

struct CliCase {
    QStringList args;
    int status;
    QString message; // on standard error
};

void Check(const std::vector<CliCase>& cases) {
    for (const CliCase& c : cases) {
        const CliRunResult r = RunCliInProcess(c.args);
        const std::string args = c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << args << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << args << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args;
    }
}

TEST(Cli, UsageAndBadInputEndAtOnceNamingTheProblem) {
    QTemporaryDir dir;
    const QString garbage = Put(dir, "garbage.json", "this is not JSON {");
    const QString array = Put(dir, "array.json", "[1, 2, 3]");
    const QString absent = dir.filePath("absent.json");
    const QString table = dir.filePath("t.tb");
    const QStringList read{"read", "--port", "x", "--family", "qx"};
    const QStringList write{"write", "--port", "x", "--family", "orv"};
    const QStringList exportQx{"export", "--family", "qx", "--output", table};
    Check({
        {{}, kUsage, "Usage:"},
        {{"frobnicate"}, kUsage, "unknown command frobnicate"},
        {{"ports", "extra"}, kUsage, "ports takes no options"},
        {{"read", "--family", "orv"}, kUsage, "orvconf-cli read: --port is required"},
        {{"read", "--port", "x"}, kUsage, "--family is required"},
        {{"read", "--port", "x", "--family", "ORV "}, kUsage, "--family must be orv or qx"},
        {{"read", "--port"}, kUsage, "--port needs a port name"},
        {{"read", "--port=", "--family", "qx"}, kUsage, "--port needs a port name"},
        {read + QStringList{"--link", "usb"}, kUsage, "--link must be config-key or soft-diag"},
        {{"read", "--port", "x", "--family", "orv", "--link", "config-key"}, kUsage, "--link appl"},
        {read + QStringList{"--output="}, kUsage, "--output needs a file name"},
        {read + QStringList{"--trace="}, kUsage, "--trace needs a file name"},
        {read + QStringList{"--trace", dir.path()}, kOutputFailed, dir.path()},
        {read + QStringList{"--bogus"}, kUsage, "unknown option --bogus"},
        {write, kUsage, "--settings is required"},
        {write + QStringList{"--settings="}, kUsage, "--settings needs a file name"},
        {write + QStringList{"--settings", "a", "--output", "b"}, kUsage, "option --output"},
        {write + QStringList{"--settings", garbage}, kInvalidDocument, garbage},
        {write + QStringList{"--settings", dir.path()}, kInvalidDocument, dir.path()},
        {write + QStringList{"--settings", absent}, kInvalidDocument, "Cannot read " + absent},
        {{"export", "--family", "orv", "--settings", "a.json"}, kUsage, "--output is required"},
        {{"export", "--settings", "a", "--output", "b"}, kUsage, "--family is required"},
        {{"export", "--family=", "--settings", "a", "--output", "b"}, kUsage, "--family must be"},
        {exportQx + QStringList{"--settings="}, kUsage, "--settings needs a file name"},
        {exportQx + QStringList{"--settings", garbage}, kInvalidDocument, garbage},
        {{"import", "--family", "qx"}, kUsage, "--table is required"},
        {{"import", "--table", "t", "stray"}, kUsage, "unknown option stray"},
        {{"import", "--family", "qx", "--table="}, kUsage, "--table needs a file name"},
        {{"import", "--family", "qx", "--table", dir.path()}, kInvalidDocument, dir.path()},
        {{"import", "--family", "qx", "--table", absent}, kInvalidDocument, absent},
        {{"import", "--family", "qx", "--table", "t", "--settings="}, kUsage, "--settings needs"},
        {{"doctor", "--port="}, kUsage, "--port needs a port name"},
        {{"doctor", "--language", "klingon"}, kUsage, "--language must be en or zh"},
        {{"diff", garbage}, kDiffTrouble, "diff needs two settings documents"},
        {{"diff", "--bogus"}, kDiffTrouble, "unknown option --bogus"},
        {{"diff", array, absent}, kDiffTrouble, absent},
        // A device that never ends is refused at the bound every input has.
        {write + QStringList{"--settings", "/dev/zero"}, kInvalidDocument, "larger than 1 MiB"},
        {exportQx + QStringList{"--settings", "/dev/zero"}, kInvalidDocument, "larger than 1 MiB"},
        {{"import", "--family", "orv", "--table", "/dev/zero"}, kInvalidDocument, "than 1 MiB"},
        {{"diff", "/dev/zero", array}, kDiffTrouble, "larger than 1 MiB"},
    });
    EXPECT_FALSE(QFile::exists(table)); // nothing left behind by the commands that failed
}

TEST(Cli, EveryCommandAnswersHelp) {
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--help"}, "Usage:\n  orvconf-cli ports\n"},
        {{"help"}, "Usage:\n  orvconf-cli ports\n"},
        {{"read", "--bogus", "-h"}, "Usage: orvconf-cli read --port NAME"}, // help wins
    };
    for (const auto& [args, start] : cases) {
        EXPECT_TRUE(RunCliInProcess(args).out.startsWith(start)) << args.join(' ').toStdString();
    }
    for (const QString command :
         {"ports", "read", "write", "history", "diff", "export", "import", "doctor"}) {
        const CliRunResult r = RunCliInProcess({command, "--help"});
        EXPECT_EQ(r.status, kReadComplete);
        EXPECT_TRUE(r.out.startsWith("Usage: orvconf-cli " + command)) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("\nExit status:\n  0  ")) << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty());
    }
    EXPECT_TRUE(RunCliInProcess({"--version"})
                    .out.startsWith(QString("orvconf-cli %1\n").arg(kOrvconfVersion)));
}

// The README's table is the one the program knows; on a difference, the table to paste.
TEST(Cli, TheReadmeListsTheExitStatusesAsTheProgramDoes) {
    QFile readme(ORVCONF_README);
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly)) << ORVCONF_README;
    const QString text = QString::fromUtf8(readme.readAll());
    const QString begin = "<!-- exit statuses: made from cli/ExitStatus.cpp, checked by the cli "
                          "test -->\n";
    const qsizetype from = text.indexOf(begin);
    const qsizetype to = text.indexOf("<!-- exit statuses end -->");
    ASSERT_TRUE(from >= 0 && to > from) << "the README has lost the markers of the table";
    const QString table = text.mid(from + begin.size(), to - from - begin.size());
    EXPECT_EQ(table, ExitStatusMarkdown()) << "Put this between the markers:\n"
                                           << ExitStatusMarkdown().toStdString();
    // Each status once, in order, and in the overview's help.
    const QString overview = RunCliInProcess({"--help"}).out;
    for (const ExitStatusMeaning& entry : ExitStatusMeanings()) {
        EXPECT_EQ(table.count(QString("\n| %1 | ").arg(entry.status)), 1);
        EXPECT_TRUE(overview.contains(QString("\n  %1  ").arg(entry.status)));
    }
}

TEST(Cli, StandardOutputThatFailsEndsWith8) {
    CUnusableDevice full("No space left on device");
    QTextStream out(&full);
    QString errText;
    QTextStream err(&errText);
    EXPECT_EQ(Cli::Run({"read", "--help"}, out, err), kOutputFailed);
    EXPECT_EQ(errText, "Cannot write to standard output: No space left on device\n");
}

struct RlimitGuard {
    rlimit saved{};
    explicit RlimitGuard(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the test
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~RlimitGuard() { setrlimit(RLIMIT_FSIZE, &saved); }
};

// Replaced whole or left as it was (the file functions themselves: WholeFileTest); a device is
// written in place, never replaced by a file.
TEST(CheckedOutput, AFileIsWrittenWholeOrLeftAsItWas) {
    QTemporaryDir dir;
    const QString existing = Put(dir, "existing.json", "old settings\n");
    const QByteArray document = QByteArray(5400, 'x') + "\n";
    QString unused;
    QTextStream out(&unused);
    {
        const RlimitGuard full(4096); // a file system with 4 KB left
        EXPECT_TRUE(WriteOutput(document, existing, out).startsWith("Cannot write " + existing));
    }
    EXPECT_EQ(FileBytes(existing), "old settings\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"existing.json"});
    EXPECT_EQ(WriteOutput(document, existing, out), QString());
    EXPECT_EQ(FileBytes(existing), document);
    EXPECT_EQ(WriteOutput(document, "/dev/full", out),
              "Cannot write /dev/full: No space left on device");
    struct stat st {};
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(WriteOutput("{}\n", "/dev/null", out), QString());
    EXPECT_TRUE(unused.isEmpty());
}

// Each finding on one line and its fix below it (the findings themselves: PortDoctorTest).
TEST(Cli, TheDoctorPrintsEveryCheckWithItsFix) {
    const CliRunResult r = RunCliInProcess({"doctor", "--port", "ttyORVCONF_ABSENT"});
    EXPECT_EQ(r.status, kPortUnavailable) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Port /dev/ttyORVCONF_ABSENT\n  device: PROBLEM. The port"));
    EXPECT_TRUE(r.out.contains(" exist.\n    Fix: Check that the adapter")) << r.out.toStdString();
}

TEST(Cli, PortsThatAreNoSerialPortEndWith2) {
    CBadPorts bad;
    ASSERT_TRUE(bad.Make());
    const std::vector<std::pair<QString, QString>> ports = {
        {bad.file, "it is not a serial port"},
        {bad.dir.path(), "it is a folder, not a serial port"},
        {"/dev/null", "it is not a serial port"},
        {bad.gone, "it does not exist"},
        {"ttyORVCONF_ABSENT", "it does not exist"},
        {bad.Held(), "another program is using it"},
    };
    for (const auto& [port, problem] : ports) {
        // Opened at once (ORV; the QX CONFIG key likewise) or rate by rate (soft diagnosis).
        for (const QStringList& road :
             {QStringList{"--family", "orv"},
              QStringList{"--family", "qx", "--link", "soft-diagnosis"}}) {
            Check({{QStringList{"read", "--port", port} + road, kPortUnavailable,
                    "Cannot open serial port " + port + ": " + problem}});
        }
    }
    EXPECT_TRUE(bad.FileUntouched());
}

// The reason after a failed open is the port doctor's, asked through its system: here one that
// claims the missing port is a device this user may not use.
TEST(Cli, TheReasonAPortCannotBeOpenedComesFromTheDoctor) {
    class CLockedPort : public PortDoctor::IPortSystem {
    public:
        std::optional<PortDoctor::DeviceNode> Node(const std::string& path) const override {
            return PortDoctor::DeviceNode{path, true, 0, 20, 0660, 188, 0, false, "tty"};
        }
        bool CanReadWrite(const std::string&) const override { return false; }
        std::string GroupName(unsigned) const override { return "dialout"; }
        PortDoctor::User CurrentUser() const override { return {}; }
        std::vector<PortDoctor::Process> Processes() const override { return {}; }
        std::map<std::string, std::string> DeviceProperties(unsigned, unsigned) const override {
            return {};
        }
        std::optional<std::string> ReadText(const std::string&) const override { return {}; }
    } system;
    const QString port = "ttyORVCONF_ABSENT";
    const QString reason = "Cannot open serial port " + port +
                           ": no permission to use it ('orvconf-cli doctor --port " + port +
                           "' tells more).";
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    CReadCommand read(outStream, errStream, system);
    EXPECT_EQ(read.Execute({"--port", port, "--family", "qx", "--link", "config-key"}),
              kPortUnavailable);
    CReadCommand soft(outStream, errStream, system);
    EXPECT_EQ(soft.Execute({"--port", port, "--family", "qx"}), kPortUnavailable);
    errStream.flush();
    EXPECT_EQ(err.count(reason), 2) << err.toStdString();
}

// A valid document gets as far as the port (2 for a port that does not exist); every invalid
// one ends with 6 before it, one line per bad field, and so does a channel plan that cannot
// work (the slot in use pointing to empty channels).
TEST(Cli, AnInvalidDocumentIsRefusedBeforeThePortWithEveryFieldNamed) {
    struct Case {
        RadioFamily family;
        std::function<void(QJsonObject&)> spoil;
        QStringList fields;
    };
    const std::vector<Case> cases = {
        {FAMILY_ORV,
         [](QJsonObject& d) {
             SetChannel(d, 8, {{"frequency", "455.000000"}});
             SetChannel(d, 9, {{"frequency", "456.000000"}});
         },
         {}},
        {FAMILY_ORV, [](QJsonObject&) {}, {"channel 8: ", "channel 9: "}},
        {FAMILY_ORV,
         [](QJsonObject& d) {
             SetRegister(d, "orv", "s103", "3"); // every kind: the document's own tests
             d["comment"] = "x";
         },
         {"orv.s103: ", "comment: "}},
        {FAMILY_ORV,
         [](QJsonObject& d) {
             SetChannel(d, 0, {{"frequency", "500.000000"}});
             SetRegister(d, "orv", "s105", "256");
         },
         {"channels[0].frequency \"500.000000\": ", "orv.s105 \"256\": "}},
        {FAMILY_ORV, [](QJsonObject& d) { SetRegister(d, "orv", "s128", 1); }, {"mode (orv.s128"}},
        {FAMILY_QX,
         [](QJsonObject& d) {
             SetChannel(d, 3, {{"direction", "both"}});
             SetRegister(d, "qx", "s108", 19);
         },
         {"channels[3].direction \"both\": ", "qx.s108 19: "}},
        {FAMILY_QX,
         [](QJsonObject& d) { d = Json(OrvRadio(), FAMILY_ORV); },
         {"family: the document is for orv, not qx"}},
        // In the repeater layout row 63 is what the radio lists for channel 61.
        {FAMILY_ORV,
         [](QJsonObject& d) {
             SetRegister(d, "orv", "s186", 0); // QZ transparent repeater
             SetRegister(d, "orv", "s141", 1);
             SetRegister(d, "orv", "s103", 5);
             SetChannel(d, 63, {{"frequency", "470.000000"}});
         },
         {"channels[63] \""}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        QJsonObject doc = Json(c.family == FAMILY_ORV ? OrvRadio() : QxRadio(), c.family);
        c.spoil(doc);
        const QString path = Put(dir, "settings.json", QJsonDocument(doc).toJson());
        const CliRunResult r =
            RunCliInProcess({"write", "--port", dir.filePath("no-such-port"), "--family",
                             c.family == FAMILY_ORV ? "orv" : "qx", "--settings", path});
        SCOPED_TRACE(r.err.toStdString());
        if (c.fields.isEmpty()) {
            EXPECT_EQ(r.status, kPortUnavailable);
            continue;
        }
        EXPECT_EQ(r.status, kInvalidDocument);
        EXPECT_TRUE(r.err.contains("nothing was sent"));
        for (const QString& field : c.fields) {
            EXPECT_TRUE(r.err.contains("\n  " + field)) << field.toStdString();
        }
        EXPECT_EQ(r.err.count("\n  "), c.fields.size());
    }
}

TEST(Cli, ExportWritesThePagesTableOnceAndImportReadsItBack) {
    OrvTableFile::Frequencies hertz{};
    hertz[0] = 433125000;
    hertz[2] = 440000000; // rows the layout does not show still carry what the radio listed
    hertz[5] = 470001250;
    struct Case {
        const char* family;
        RadioSettings settings;
        std::string table;
    };
    const Case cases[] = {{"orv", OrvRadio(), OrvTableFile::EncodeFile(hertz)},
                          {"qx", QxRadio(), QxTableFile::EncodeFile(QxRadio().channels)}};
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        const RadioFamily family = QString(c.family) == "orv" ? FAMILY_ORV : FAMILY_QX;
        const QString settings =
            Put(dir, QString(c.family) + ".json", SettingsToJson(c.settings, family));
        const QString table = dir.filePath(QString(c.family) + ".tb");
        const QStringList exportArgs{"export", "--family", c.family, "--settings",
                                     settings, "--output", table};
        const CliRunResult r = RunCliInProcess(exportArgs);
        ASSERT_EQ(r.status, kReadComplete) << r.err.toStdString();
        EXPECT_EQ(FileBytes(table).toStdString(), c.table);
        // Read-only, and an earlier export is never replaced.
        EXPECT_FALSE(QFileInfo(table).permissions() & QFileDevice::WriteOwner);
        const CliRunResult again = RunCliInProcess(exportArgs);
        EXPECT_EQ(again.status, kOutputFailed);
        EXPECT_TRUE(again.err.contains("read-only")) << again.err.toStdString();

        // Into the document it came from: nothing changes, except that the ORV list shows an
        // empty entry of the file as "0.".
        const CliRunResult back = RunCliInProcess(
            {"import", "--family", c.family, "--table", table, "--settings", settings});
        ASSERT_EQ(back.status, kReadComplete) << back.err.toStdString();
        RadioSettings expected = c.settings;
        for (std::size_t row = 0; family == FAMILY_ORV && row < 64; ++row) {
            if (OrvTableFile::IsShownRow(row, false) && expected.channels[row].frequency.empty()) {
                expected.channels[row].frequency = "0.";
            }
        }
        SettingsDocument imported;
        EXPECT_TRUE(SettingsFromJson(back.out.toUtf8(), &imported).isEmpty());
        EXPECT_EQ(imported.settings, expected);
        // Into an empty document: one the other commands take.
        const QString output = dir.filePath(QString(c.family) + "-imported.json");
        EXPECT_EQ(
            RunCliInProcess({"import", "--family", c.family, "--table", table, "--output", output})
                .status,
            kReadComplete);
        EXPECT_EQ(Doc::LoadDocument(output, family, &imported), QStringList());
    }
}

// A damaged table file is refused whole with what is wrong and nothing written (every kind of
// damage: the table file tests); a QX file with a line too many imports and says so.
TEST(Cli, ImportRefusesADamagedTableAndTellsWhatItSkipped) {
    QTemporaryDir dir;
    const std::string orv = OrvTableFile::EncodeFile({});
    QxTableFile::ListRows rows = QxRadio().channels;
    rows[9] = {}; // an incomplete row's line is no channel line
    const std::string qx = QxTableFile::EncodeFile(rows);
    std::string spoilt = orv;
    spoilt[30] = '1'; // entry 1's frequency
    const QString large = dir.filePath("large");
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(20 << 20));
    struct Case {
        const char* family;
        std::string table; // the file's bytes, or the path of one
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"orv", spoilt, kInvalidDocument, "the checksum does not match"},
        {"orv", qx, kInvalidDocument, "it is not an ORV channel table file"},
        {"orv", large.toStdString(), kInvalidDocument, "larger than 1 MiB"},
        {"qx", orv, kInvalidDocument, "the file holds no channel line"},
        {"qx", qx.substr(0, qx.size() - 35) + "\r\r\n", kReadComplete, ""}, // 63 lines
        {"qx", qx + "3       433.125000  6.25 KHz  Tx\r\r\n", kReadComplete,
         ": 64 lines were imported. 1 line was skipped (no channel line, or after the 64th line or "
         "an empty line), the first of them line 65; their rows are unchanged.\n"},
    };
    const QString output = dir.filePath("out.json");
    for (const Case& c : cases) {
        const QString table = c.table.rfind(dir.path().toStdString(), 0) == 0
                                  ? QString::fromStdString(c.table)
                                  : Put(dir, "table", QByteArray::fromStdString(c.table));
        const CliRunResult r =
            RunCliInProcess({"import", "--family", c.family, "--table", table, "--output", output});
        SCOPED_TRACE(r.err.toStdString());
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(c.message));
        EXPECT_EQ(QFile::exists(output), c.status == kReadComplete);
        if (c.status != kReadComplete) {
            EXPECT_TRUE(r.err.startsWith("The table in " + table +
                                         " cannot be imported; nothing "
                                         "was written:\n  ") ||
                        r.err.startsWith("Cannot read " + table))
                << c.message;
        }
        QFile::remove(output);
    }
    // A document the radio could not hold is refused before the table goes into it.
    RadioSettings repeater = OrvRadio();
    repeater.orv = {0, 0, 0, 5, 1, 0, 0, 0, "12"}; // QZ transparent repeater: row 63 is 61
    repeater.channels[63].frequency = "470.000000";
    const QString settings = Put(dir, "repeater.json", SettingsToJson(repeater, FAMILY_ORV));
    const CliRunResult r =
        RunCliInProcess({"import", "--family", "orv", "--table",
                         Put(dir, "t.tb", QByteArray::fromStdString(orv)), "--settings", settings});
    EXPECT_EQ(r.status, kInvalidDocument);
    EXPECT_TRUE(r.err.contains("\n  channels[63] \"470.000000\"")) << r.err.toStdString();
}

// A read that went well but cannot be written where it was asked to ends with 8, not as a read
// that failed (the radio in this process, on a pseudo-terminal).
TEST(Cli, AReadWhoseOutputCannotBeWrittenEndsWith8) {
    // At the real waits (no scale): a busy machine cannot outrun them.
    Timing::SetScale(1.0);
    CSimRadio radio(FAMILY_QX);
    CSimLog log;
    CSimServer server(radio, log);
    server.SetPacing(false);
    server.SetAnnounceDelay(0);
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    QTemporaryDir dir;
    const QString output = dir.filePath("absent/read.json");
    const CliRunResult r = RunCliInProcess({"read", "--port", server.SlavePath(), "--family", "qx",
                                            "--link", "config-key", "--output", output});
    EXPECT_EQ(r.status, kOutputFailed) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Reading the settings")) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("Cannot write " + output + ": No such file or directory\n"))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// Trouble (status 2) is in the usage table; the words are the document's.
TEST(Cli, DiffAnswersAsDiffDoes) {
    QTemporaryDir dir;
    const QJsonObject a = Json(QxRadio(), FAMILY_QX);
    QJsonObject b = a;
    SetRegister(b, "qx", "s103", 7);
    SetChannel(b, 7, {{"channel", ""}, {"frequency", ""}});
    const QString first = Put(dir, "a.json", QJsonDocument(a).toJson());
    const QString same = Put(dir, "same.json", QJsonDocument(a).toJson(QJsonDocument::Compact));
    const QString other = Put(dir, "b.json", QJsonDocument(b).toJson());
    CliRunResult r = RunCliInProcess({"diff", first, same});
    EXPECT_EQ(r.status, kDiffEqual) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
    r = RunCliInProcess({"diff", first, other});
    EXPECT_EQ(r.status, kDiffDiffer) << r.err.toStdString();
    EXPECT_EQ(r.out, "S103 air rate: 9600 -> 19200\nchannel 7: deleted\n");
}

} // namespace
