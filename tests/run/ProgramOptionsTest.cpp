// The three programs started with the options README.md and their --help name: orvconf (its
// window looked at through a probe preloaded into it), orvconf-cli and orvconf-sim. Options the
// other end-to-end tests already start the programs with are only listed here, with the test
// that does; a documented option that no test gives to the real program fails the first test.

#include "base/Version.h"
#include "tests/support/FileBytes.h"
#include "tests/support/JsonEdit.h"
#include "tests/support/PlanEdit.h"
#include "tests/support/SimProcess.h"
#include "tests/support/ToolEnd.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kHangMs = 120000;
const std::string kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
const std::string kReport = "CH03UHF07 ORV-25W\r\n";

ProgramRun Start(const QString& program, const QStringList& args,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                 CSimProcess* sim = nullptr) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    return RunSwitchingOn(process, sim, kHangMs);
}

// Whether the file came to hold exactly count copies of text before a hang was assumed. Each change
// the other program writes to it is looked at as it happens; the timer only bounds a hang.
bool WaitForLogged(const QString& path, const QByteArray& text, qsizetype count) {
    const auto done = [&] { return FileBytes(path).count(text) == count; };
    QFileSystemWatcher watcher({path, QFileInfo(path).path()});
    QEventLoop loop;
    const auto look = [&] {
        if (!watcher.files().contains(path)) {
            watcher.addPath(path); // created after the watch began
        }
        if (done()) {
            loop.quit();
        }
    };
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, look);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, look);
    QTimer hang;
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (!done()) {
        hang.start(kHangMs);
        loop.exec();
    }
    return done();
}

// "--port", "--no-verify", ... as a text names them.
QSet<QString> OptionsIn(const QString& text) {
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*[a-z]"));
    QSet<QString> found;
    for (auto it = option.globalMatch(text); it.hasNext();) {
        found.insert(it.next().captured());
    }
    return found;
}

QString HelpOf(const QString& program, const QStringList& args = {"--help"}) {
    const ProgramRun run = Start(program, args);
    EXPECT_EQ(run.status, 0) << program.toStdString() << ' ' << args.join(' ').toStdString();
    return QString::fromUtf8(run.out);
}

const QStringList kCliCommands{"ports",  "read",   "write",  "history",   "diff",
                               "export", "import", "doctor", "plan-check"};

// Every option of a program, with the test that gives it to the real program. Whoever documents
// a new option adds it here with its test.
const std::map<QString, std::map<QString, const char*>> kTried = {
    {"orvconf",
     {{"--language", "Orvconf.StartsInTheLanguageAskedFor"},
      {"--help", "Orvconf.StartsInTheLanguageAskedFor"},
      {"--version", "Programs.NameTheirVersionAndLicence"}}},
    {"orvconf-cli",
     {{"--port", "cli_e2e"},
      {"--family", "cli_e2e"},
      {"--link", "cli_e2e"},
      {"--trace", "cli_e2e"},
      {"--settings", "cli_e2e"},
      {"--dry-run", "cli_e2e"},
      {"--output", "OrvconfCli.EveryCommandWithItsOptions"},
      {"--no-verify", "OrvconfCli.EveryCommandWithItsOptions"},
      {"--table", "OrvconfCli.EveryCommandWithItsOptions"},
      {"--format", "OrvconfCli.ChannelPlanThroughASpreadsheet"},
      {"--language", "OrvconfCli.EveryCommandWithItsOptions"},
      {"--help", "OrvconfCli.EveryCommandWithItsOptions"},
      {"--version", "Programs.NameTheirVersionAndLicence"}}},
    {"orvconf-sim",
     {{"--family", "cli_e2e"},
      {"--rate", "cli_e2e"},
      {"--state", "cli_e2e"},
      {"--log", "cli_e2e"},
      {"--no-pace", "cli_e2e"},
      {"--manual-power", "cli_e2e"},
      {"--power-on-noise", "cli_e2e"},
      {"--listing-empty-line", "cli_e2e"},
      {"--error-on", "cli_e2e"},
      {"--drop-channel", "cli_e2e"},
      {"--preset-keeps", "cli_e2e"},
      {"--fault", "faults.end_to_end"},
      {"--fault-at", "faults.end_to_end"},
      {"--announce-delay", "gui"},
      {"--silent-on", "gui"},
      {"--noise", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--noise-on", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--value-noise", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--value-noise-on", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--reset-on", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--silent-after", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--truncate-listing", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--extra-listing-lines", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--listing-noise", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--help", "OrvconfSim.FaultOptionsShowOnTheLine"},
      {"--version", "Programs.NameTheirVersionAndLicence"}}},
};

TEST(Options, EveryDocumentedOptionIsGivenToTheRealProgram) {
    std::map<QString, QSet<QString>> documented;
    documented["orvconf"] = OptionsIn(HelpOf(ORVCONF_APP));
    documented["orvconf-sim"] = OptionsIn(HelpOf(ORVCONF_SIM));
    QSet<QString>& cli = documented["orvconf-cli"];
    cli = OptionsIn(HelpOf(ORVCONF_CLI));
    for (const QString& command : kCliCommands) {
        cli += OptionsIn(HelpOf(ORVCONF_CLI, {command, "--help"}));
    }
    // The README names no option the programs do not have.
    QSet<QString> all;
    for (const auto& [program, options] : documented) {
        all += options;
    }
    const QSet<QString> readme =
        OptionsIn(QString::fromUtf8(FileBytes(QDir(ORVCONF_SOURCE_DIR).filePath("README.md"))));
    for (const QString& option : readme) {
        EXPECT_TRUE(all.contains(option)) << "README.md names " << option.toStdString();
    }
    for (const auto& [program, options] : documented) {
        const auto& tried = kTried.at(program);
        for (const QString& option : options) {
            EXPECT_TRUE(tried.count(option) == 1)
                << program.toStdString() << ' ' << option.toStdString() << " is tried nowhere";
        }
    }
}

TEST(Programs, NameTheirVersionAndLicence) {
    for (const char* program : {ORVCONF_CLI, ORVCONF_SIM, ORVCONF_APP}) {
        const ProgramRun run = Start(program, {"--version"});
        EXPECT_EQ(run.status, 0) << program;
        const QStringList lines = QString::fromUtf8(run.out).split('\n');
        EXPECT_EQ(lines.value(0),
                  QString("%1 %2").arg(QFileInfo(program).fileName(), kOrvconfVersion));
        EXPECT_TRUE(lines.value(1).startsWith("Copyright (C) ")) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("License GPL-3.0-or-later")) << run.out.toStdString();
    }
}

// The window, looked at once it is shown: its texts in one language only.
TEST(Orvconf, StartsInTheLanguageAskedFor) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LD_PRELOAD", ORVCONF_WINDOW_PROBE);
    // Under AddressSanitizer the probe comes before its runtime; the probe itself is not
    // instrumented, so the order does not matter.
    const QString asan = env.value("ASAN_OPTIONS");
    env.insert("ASAN_OPTIONS",
               (asan.isEmpty() ? QString() : asan + ':') + "verify_asan_link_order=0");
    struct Case {
        QStringList args;
        bool english;
    };
    const Case cases[] = {
        {{}, false},
        {{"--language", "en"}, true},
        {{"--language=en"}, true},
        {{"--language", "zh"}, false},
        {{"-platform", "offscreen", "--language=zh", "--language", "en"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun run = Start(ORVCONF_APP, c.args, env);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QStringList texts = QString::fromUtf8(run.out).split('\n');
        EXPECT_TRUE(texts.contains("window: ORVCONF")) << run.out.toStdString();
        EXPECT_EQ(texts.contains("label: Serial port"), c.english) << run.out.toStdString();
        EXPECT_EQ(texts.contains("menu: Language"), c.english);
        EXPECT_EQ(texts.contains("label: 选择串口"), !c.english);
        EXPECT_EQ(texts.contains("menu: 语言选择"), !c.english);
    }
    const ProgramRun help = Start(ORVCONF_APP, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: orvconf [--language zh|en]")) << help.out.toStdString();
}

// The command-line client beside a simulated QX module, switched on when the client asks, with
// a data folder of its own.
class OrvconfCli : public testing::Test {
protected:
    OrvconfCli() {
        env.insert("ORVCONF_TIME_SCALE", "0.1");
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
    }
    ProgramRun cli(const QStringList& args) { return Start(ORVCONF_CLI, args, env, &sim); }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    CSimProcess sim{ORVCONF_SIM, {"--family", "qx", "--no-pace", "--manual-power"}};
    const QStringList connect{"--port", sim.Port(), "--family", "qx", "--link", "config-key"};
};

// One QX module read into a file, the file compared, exported, imported back and written with
// no read-back; the port examined in both languages; every command's help.
TEST_F(OrvconfCli, EveryCommandWithItsOptions) {
    ASSERT_FALSE(sim.Port().isEmpty());

    const QString read = dir.filePath("read.json");
    ProgramRun run = cli(QStringList{"read"} + connect + QStringList{"--output", read});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    const QJsonObject before = QJsonDocument::fromJson(FileBytes(read)).object();
    ASSERT_FALSE(before.isEmpty());

    QJsonObject wanted = before;
    SetRegister(wanted, "qx", "s108", 25);
    const QString changed = dir.filePath("changed.json");
    QFile file(changed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(wanted).toJson());
    file.close();
    EXPECT_EQ(cli({"diff", read, read}).status, 0);
    run = cli({"diff", read, changed});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.startsWith("S108 ")) << run.out.toStdString();

    const QString table = dir.filePath("table.txt");
    const QString back = dir.filePath("back.json");
    EXPECT_EQ(cli({"export", "--family", "qx", "--settings", read, "--output", table}).status, 0);
    EXPECT_FALSE(QFileInfo(table).permissions() & QFileDevice::WriteOwner);
    EXPECT_EQ(
        cli({"import", "--family", "qx", "--table", table, "--settings", read, "--output", back})
            .status,
        0);
    EXPECT_EQ(cli({"diff", read, back}).status, 0) << FileBytes(back).toStdString();

    run = cli(QStringList{"write"} + connect + QStringList{"--settings", changed, "--no-verify"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("The radio saved the settings"));
    EXPECT_FALSE(run.err.contains("Reading them back")) << run.err.toStdString();
    run = cli(QStringList{"read"} + connect);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out).object(), wanted);

    run = cli({"doctor", "--port", sim.Port(), "--language", "zh"});
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.startsWith(("串口 " + sim.device + "\n").toUtf8()))
        << run.out.toStdString();
    run = cli({"doctor", "--port", sim.Port(), "--language", "en"});
    EXPECT_TRUE(run.out.startsWith(("Port " + sim.device + "\n").toUtf8()))
        << run.out.toStdString();

    EXPECT_TRUE(cli({"--help"}).out.startsWith("Usage:\n"));
    for (const QString& command : kCliCommands) {
        run = cli({command, "--help"});
        EXPECT_EQ(run.status, 0) << command.toStdString();
        EXPECT_TRUE(run.out.startsWith(("Usage: orvconf-cli " + command).toUtf8()))
            << run.out.toStdString();
    }
}

// A plan taken out as CSV, changed as a spreadsheet saves it, checked, put back and written; a
// plan with one bad line is refused with that line.
TEST_F(OrvconfCli, ChannelPlanThroughASpreadsheet) {
    ASSERT_FALSE(sim.Port().isEmpty());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name);
    };

    const QString read = dir.filePath("read.json");
    ProgramRun run = cli(QStringList{"read"} + connect + QStringList{"--output", read});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    // The module receives on channel 4 now: 12.5 kHz from its transmit channel 3 at 25 kHz.
    QJsonObject document = QJsonDocument::fromJson(FileBytes(read)).object();
    SetRegister(document, "qx", "s132", 4);
    const QString settings = write("settings.json", QJsonDocument(document).toJson());

    const QString plan = dir.filePath("plan.csv");
    EXPECT_EQ(cli({"export", "--family", "qx", "--settings", settings, "--output", plan, "--format",
                   "csv"})
                  .status,
              0);
    QByteArray csv = FileBytes(plan);
    ASSERT_TRUE(csv.contains("\r\n3,410.050000,25,Rx&Tx,,\r\n")) << csv.toStdString();
    // Three frequencies and one bandwidth changed; saved with semicolons, as a spreadsheet in a
    // Chinese or European locale does, short decimals and quoted texts.
    csv = ChangedInASpreadsheet(csv).replace(",", ";").replace("Rx&Tx", "\"Rx&Tx\"");
    const QString edited = write("edited.csv", csv);
    run = cli({"plan-check", edited, "--settings", settings});
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    EXPECT_EQ(run.out, "advice: line 6 (channel 4): only 12.5 kHz from channel 3, narrower than "
                       "the bandwidth: the two disturb each other\n");

    const QString changed = dir.filePath("changed.json");
    run = cli({"import", "--family", "qx", "--table", edited, "--settings", settings, "--output",
               changed, "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("advice: line 6 (channel 4)")) << run.err.toStdString();
    EXPECT_EQ(cli({"plan-check", changed}).status, 0);
    run = cli(QStringList{"write"} + connect + QStringList{"--settings", changed});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    run = cli(QStringList{"read"} + connect);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonArray channels = QJsonDocument::fromJson(run.out).object()["channels"].toArray();
    EXPECT_EQ(channels[0].toObject()["frequency"].toString(), "433.125000");
    EXPECT_EQ(channels[3].toObject()["frequency"].toString(), "433.100000");
    EXPECT_EQ(channels[3].toObject()["bandwidth"].toString(), "12.5 KHz");
    EXPECT_EQ(channels[4].toObject()["frequency"].toString(), "433.112500");

    // One bad line: nothing is imported, the line is named; the check says the same.
    const QString bad = write("bad.csv", QByteArray(csv).replace(";433.15;", ";481.000;"));
    run = cli({"import", "--family", "qx", "--table", bad, "--format", "csv"});
    EXPECT_EQ(run.status, 6);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("line 3: 481.000 MHz is outside 410–480 MHz"))
        << run.err.toStdString();
    run = cli({"plan-check", bad, "--family", "qx"});
    EXPECT_EQ(run.status, 6);
    EXPECT_TRUE(run.err.contains("line 3: 481.000 MHz")) << run.err.toStdString();
    EXPECT_EQ(cli({"import", "--family", "qx", "--table", bad, "--format", "xls"}).status, 1);
}

// Each fault of the simulated radio as the tool's end of the line sees it: the commands sent in
// turn, each after the answer to the one before, and the bytes that came back.
TEST(OrvconfSim, FaultOptionsShowOnTheLine) {
    const std::string ats186 = "ATS186?\r\n1\r\n\r\nOK\r\n";
    struct Step {
        std::string command;
        std::string answer; // empty: none comes (the radio is switched off and on after it)
    };
    struct Case {
        QStringList options;
        std::vector<Step> steps;
        std::function<bool(const std::string&)> listing = {}; // checks the answer to "ATP0?"
    };
    const auto hasLine = [](const char* start) {
        return [start](const std::string& listing) {
            return listing.find(std::string("\r\n") + start) != std::string::npos;
        };
    };
    const std::vector<Case> cases = {
        {{"--noise", "ff", "--noise-on", "ATS186?"},
         {{"+++", kStartAnswer}, {"ATS186?\r", "\xff" + ats186}}},
        {{"--noise", "a5"}, {{"+++", "\xa5" + kStartAnswer}}},
        {{"--value-noise", "7e", "--value-noise-on", "ATS105?"},
         {{"+++", kStartAnswer},
          {"ATS186?\r", ats186},
          {"ATS105?\r", "ATS105?\r\n~12\r\n\r\nOK\r\n"}}},
        {{"--reset-on", "ATS186?"}, {{"+++", kStartAnswer}, {"ATS186?\r", kStartAnswer}}},
        {{"--silent-after", "2"},
         {{"+++", kStartAnswer}, {"ATS186?\r", ats186}, {"ATS186?\r", ""}}},
        {{"--truncate-listing", "20"},
         {{"+++", kStartAnswer},
          {"ATP0?\r", "ATP0?\r\nChannel" + std::string(6, ' ')}, // 20 bytes
          {"AT\r", "AT\r\n\r\nOK\r\n"}}},
        {{"--extra-listing-lines", "2"},
         {{"+++", kStartAnswer}},
         [&](const std::string& l) { return hasLine("64 ")(l) && hasLine("65 ")(l); }},
        {{"--listing-noise", "23"},
         {{"+++", kStartAnswer}},
         [](const std::string& l) {
             const std::size_t row = l.find("\r\n0 ");
             return row != std::string::npos && l.find('#', row) < l.find("\r\n1 ", row);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        QTemporaryDir dir;
        const QString log = dir.filePath("radio.log");
        CSimProcess sim(ORVCONF_SIM, QStringList{"--family", "orv", "--no-pace", "--manual-power",
                                                 "--log", log} +
                                         c.options);
        ASSERT_FALSE(sim.device.isEmpty());
        CToolEnd tool(sim.device, 9600);
        std::string transcript;
        std::map<std::string, int> sent;
        for (const Step& step : c.steps) {
            tool.Write(step.command);
            ++sent[step.command];
            if (step.answer.empty()) {
                // Once the radio has taken the command (its log shows it), it is switched off and
                // on: its report is the next thing on the line.
                const QByteArray taken =
                    "|" + QByteArray::fromStdString(step.command).replace('\r', '.') + "|";
                const bool seen = WaitForLogged(log, taken, sent[step.command]);
                ASSERT_TRUE(seen) << FileBytes(log).toStdString();
                sim.PowerCycle();
                transcript += kReport;
            } else {
                transcript += step.answer;
            }
            ASSERT_TRUE(tool.WaitFor(transcript)) << tool.received;
            EXPECT_EQ(tool.received, transcript);
        }
        if (c.listing) {
            tool.received.clear();
            tool.Write("ATP0?\r");
            ASSERT_TRUE(tool.WaitFor("\r\nOK\r\n")) << tool.received;
            EXPECT_TRUE(c.listing(tool.received)) << tool.received;
        }
    }
    const QString help = HelpOf(ORVCONF_SIM);
    EXPECT_TRUE(help.contains("--manual-power")) << help.toStdString();
}

} // namespace
