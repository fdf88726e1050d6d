// orvconf-cli against orvconf-sim on a pseudo-terminal: the whole road from opening the port to
// the settings document, with the connection waits scaled down. Usage and error cases that need
// no radio run in-process (CliCommandsTest).

#include "base/Version.h"
#include "tests/support/JsonEdit.h"
#include "tests/support/SimProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kTimeoutMs = 120000;

QProcessEnvironment ScaledEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVCONF_TIME_SCALE", "0.05");
    return env;
}

struct Sim : CSimProcess {
    explicit Sim(const QStringList& args) : CSimProcess(ORVCONF_SIM, args) {}
};

struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// dataHome: the user's data folder, where the history of reads is kept ("" leaves it as the
// test runs with).
CliResult RunCli(const QStringList& args, const QString& dataHome = {}) {
    QProcess cli;
    QProcessEnvironment env = ScaledEnvironment();
    if (!dataHome.isEmpty()) {
        env.insert("XDG_DATA_HOME", dataHome);
    }
    cli.setProcessEnvironment(env);
    cli.start(ORVCONF_CLI, args);
    CliResult result;
    if (!cli.waitForFinished(kTimeoutMs)) {
        cli.kill();
        cli.waitForFinished();
        ADD_FAILURE() << "orvconf-cli did not finish";
    }
    result.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    result.out = cli.readAllStandardOutput();
    result.err = cli.readAllStandardError();
    return result;
}

QJsonObject ParseSettings(const CliResult& result) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    return doc.object();
}

int ProgrammedChannels(const QJsonObject& settings) {
    int count = 0;
    for (const auto& channel : settings["channels"].toArray()) {
        count += channel.toObject()["frequency"].toString().isEmpty() ? 0 : 1;
    }
    return count;
}

TEST(CliEndToEnd, SoftDiagnosisFindsAModuleAtTheLastRate) {
    Sim sim({"--family", "qx", "--rate", "57600"});
    ASSERT_FALSE(sim.Port().isEmpty());
    QTemporaryDir dir;
    const QString trace = dir.filePath("trace.txt");
    const CliResult result = RunCli({"read", "--port", sim.Port(), "--family", "qx", "--link",
                                     "soft-diagnosis", "--trace", trace});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Module found at 57600 baud"));
    EXPECT_EQ(ParseSettings(result)["qx"].toObject().size(), 15);

    // The trace tells the whole search: each rate tried, the escape, the answer, the close.
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& part :
         {QString("at 57600 baud, 8N1\n"), QString(" ms  TX  3 bytes: 2B 2B 2B  |+++|\n"),
          QString(" ms  TX  8 bytes: 41 54 53 31 32 38 3F 0D  |ATS128?.|\n"), QString(" ms  RX  "),
          QString("--  close\n")}) {
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    }
    EXPECT_GT(text.count("--  reopen "), 1);
}

TEST(CliEndToEnd, AModuleNeverPoweredOnWithConfigGivesStatus3) {
    // Its announcement comes far later than the scaled countdown.
    Sim silent({"--family", "qx", "--announce-delay", "600000"});
    ASSERT_FALSE(silent.Port().isEmpty());
    const CliResult noRadio =
        RunCli({"read", "--port", silent.Port(), "--family", "qx", "--link", "config-key"});
    EXPECT_EQ(noRadio.status, 3) << noRadio.err.toStdString();
}

// A read the radio spoils ends at once with a message naming the command (each fault in-process
// in the sim and exchange tests).
TEST(CliEndToEnd, RadioFaultsDuringAReadEndWithStatus4AndTheCommand) {
    struct Case {
        QStringList sim;
        const char* expected;
    };
    const Case cases[] = {
        {{"--family", "qx", "--value-noise", "ff", "--value-noise-on", "ATS132?"},
         "reply to ATS132? was garbled"},
        {{"--family", "qx", "--error-on", "ATS131?"}, "refused ATS131?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Sim sim(c.sim + QStringList{"--announce-delay", "300"});
        ASSERT_FALSE(sim.Port().isEmpty());
        const CliResult result =
            RunCli({"read", "--port", sim.Port(), "--family", "qx", "--link", "config-key"});
        EXPECT_EQ(result.status, 4) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.expected)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

// Glitches that a read must ride over: a stray byte before the power-on report, an empty line
// at the end of the listing (which must not empty channel 0).
TEST(CliEndToEnd, GlitchesThatCarryNoValueLeaveTheReadWhole) {
    Sim healthy({"--family", "orv", "--announce-delay", "300"});
    const CliResult reference = RunCli({"read", "--port", healthy.Port(), "--family", "orv"});
    ASSERT_EQ(reference.status, 0) << reference.err.toStdString();
    EXPECT_TRUE(reference.err.contains("Switch the ORV radio on now"));
    EXPECT_EQ(ParseSettings(reference)["channels"].toArray().size(), 64);
    EXPECT_GT(ProgrammedChannels(ParseSettings(reference)), 0);
    healthy.Kill();

    Sim glitchy({"--family", "orv", "--announce-delay", "300", "--power-on-noise", "ff",
                 "--listing-empty-line"});
    const CliResult result = RunCli({"read", "--port", glitchy.Port(), "--family", "orv"});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(ParseSettings(result), ParseSettings(reference));
}

// The real program's standard output: full, or closed (the serial port must not take its place).
TEST(CliEndToEnd, SettingsThatCannotBeWrittenAreNeverReportedAsWritten) {
    struct Case {
        const char* what;
        QStringList extraArgs;
        QString shellRedirect; // applied to the program's standard output
        const char* message;
    };
    const std::vector<Case> cases = {
        {"standard output on a full device",
         {},
         ">/dev/full",
         "Cannot write to standard output: No space left on device"},
        {"standard output closed", {}, ">&-", "Cannot write to standard output: "},
    };
    for (const Case& c : cases) {
        Sim sim({"--family", "qx", "--announce-delay", "300"});
        ASSERT_FALSE(sim.Port().isEmpty());
        QStringList args{"read", "--port", sim.Port(), "--family", "qx", "--link", "config-key"};
        args += c.extraArgs;
        QProcess cli;
        cli.setProcessEnvironment(ScaledEnvironment());
        cli.start("/bin/sh",
                  QStringList{"-c", "exec \"$0\" \"$@\" " + c.shellRedirect, ORVCONF_CLI} + args);
        ASSERT_TRUE(cli.waitForFinished(kTimeoutMs)) << c.what;
        const QByteArray err = cli.readAllStandardError();
        EXPECT_EQ(cli.exitCode(), 8) << c.what << "\n" << err.toStdString();
        EXPECT_TRUE(err.contains(c.message)) << c.what << "\n" << err.toStdString();
        EXPECT_FALSE(err.contains("Settings written")) << c.what;
    }
}

// The settings a read gave, changed as a user would, written back with "write" and read again.
struct WriteCase {
    const char* family;
    QStringList link;
    std::function<void(QJsonObject&)> change;
};

TEST(CliEndToEnd, WhatWasWrittenIsReadBack) {
    const std::vector<WriteCase> cases = {
        {"orv",
         {},
         [](QJsonObject& d) {
             SetChannel(d, 1, {{"channel", "1"}, {"frequency", "450.501250"}});
             SetChannel(d, 4, {{"frequency", ""}}); // deleted
             SetRegister(d, "orv", "s105", "77");
             SetRegister(d, "orv", "s190", 1);
         }},
        {"qx",
         {"--link", "config-key"},
         [](QJsonObject& d) {
             SetChannel(d, 5,
                        {{"channel", "5"},
                         {"frequency", "433.125050"},
                         {"bandwidth", "6.25 KHz"},
                         {"direction", "Tx"}});
             SetChannel(d, 0, {{"direction", ""}}); // incomplete: deleted
             SetRegister(d, "qx", "s108", 30);
             SetRegister(d, "qx", "s105", 42);
         }},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.family);
        Sim sim({"--family", c.family, "--announce-delay", "300"});
        ASSERT_FALSE(sim.Port().isEmpty());
        const QStringList connect =
            QStringList{"--port", sim.Port(), "--family", c.family} + c.link;
        const CliResult before = RunCli(QStringList{"read"} + connect);
        ASSERT_EQ(before.status, 0) << before.err.toStdString();
        QJsonObject wanted = ParseSettings(before);
        c.change(wanted);

        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(wanted).toJson());
        file.close();
        sim.PowerCycle();
        const QString trace = dir.filePath("write.trace");
        const CliResult write = RunCli(QStringList{"write"} + connect +
                                       QStringList{"--settings", path, "--trace", trace});
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains("The radio saved the settings")) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains("Verified: the radio holds what was written"))
            << write.err.toStdString();
        // The traffic log of a write holds the channel dialogue and the save.
        QFile log(trace);
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        EXPECT_TRUE(logged.contains("ATP0=") && logged.contains("at&w")) << logged.left(400).data();

        sim.PowerCycle();
        const CliResult after = RunCli(QStringList{"read"} + connect);
        ASSERT_EQ(after.status, 0) << after.err.toStdString();
        QJsonObject got = ParseSettings(after);
        // A deleted channel is listed no more.
        if (QString(c.family) == "orv") {
            SetChannel(wanted, 4, {{"channel", ""}, {"bandwidth", ""}, {"direction", ""}});
        } else {
            SetChannel(wanted, 0,
                       {{"channel", ""}, {"frequency", ""}, {"bandwidth", ""}, {"direction", ""}});
        }
        EXPECT_EQ(got, wanted) << after.out.toStdString();
    }
}

// The radio refusing a write command, or falling silent during the write.
TEST(CliEndToEnd, AWriteTheRadioRefusesOrAbandonsEndsWith5Or4) {
    struct Case {
        QStringList fault;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"--error-on", "ats105="}, 5, "The radio answered ERROR"},
        {{"--error-on", "AT&F"}, 5, "The radio answered ERROR"},
        {{"--silent-on", "ats190="}, 4, "stopped answering; the write is incomplete"},
    };
    // The document is the radio's own settings, read from a healthy one.
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    {
        Sim healthy({"--family", "orv", "--announce-delay", "300"});
        const CliResult read =
            RunCli({"read", "--port", healthy.Port(), "--family", "orv", "--output", path});
        ASSERT_EQ(read.status, 0) << read.err.toStdString();
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Sim sim(c.fault + QStringList{"--family", "orv", "--announce-delay", "300"});
        ASSERT_FALSE(sim.Port().isEmpty());
        const CliResult write =
            RunCli({"write", "--port", sim.Port(), "--family", "orv", "--settings", path});
        EXPECT_EQ(write.status, c.status) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains(c.message)) << write.err.toStdString();
        EXPECT_FALSE(write.err.contains("saved the settings")) << write.err.toStdString();
    }
}

QString WriteDocument(const QTemporaryDir& dir, const QString& name, const QJsonObject& document) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(document).toJson());
    return path;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// --dry-run reads and compares, and the radio is never written: its saved state stays byte for
// byte, and its log holds the read's listing command but no write command.
TEST(CliEndToEnd, ADryRunShowsTheChangesAndNeverWrites) {
    QTemporaryDir dir;
    const QString state = dir.filePath("radio.state");
    const QString log = dir.filePath("radio.log");
    Sim sim({"--family", "qx", "--announce-delay", "300", "--state", state, "--log", log});
    ASSERT_FALSE(sim.Port().isEmpty());
    const QStringList connect{"--port", sim.Port(), "--family", "qx", "--link", "config-key"};
    const CliResult read = RunCli(QStringList{"read"} + connect);
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    QJsonObject wanted = ParseSettings(read);
    SetRegister(wanted, "qx", "s105", 42);
    SetChannel(wanted, 12,
               {{"channel", "12"},
                {"frequency", "470.000000"},
                {"bandwidth", "25   KHz"},
                {"direction", "Rx"}});
    const QString path = WriteDocument(dir, "wanted.json", wanted);
    const QByteArray stateBefore = FileBytes(state);
    ASSERT_FALSE(stateBefore.isEmpty());

    sim.PowerCycle();
    const CliResult dry = RunCli(QStringList{"write", "--dry-run", "--settings", path} + connect);
    ASSERT_EQ(dry.status, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains("S105 unit address: ")) << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains("channel 12: added, 470.000 MHz, 25 kHz, Rx"))
        << dry.out.toStdString();
    EXPECT_EQ(FileBytes(state), stateBefore);
    const QByteArray logged = FileBytes(log);
    EXPECT_TRUE(logged.contains("ATP0?")) << logged.right(300).toStdString();
    for (const char* command : {"ATP0=", "AT&F", "ats1", "at&w"}) {
        EXPECT_FALSE(logged.contains(command)) << command;
    }

    // The same document written for real does change the saved state.
    sim.PowerCycle();
    const CliResult write = RunCli(QStringList{"write", "--settings", path} + connect);
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_NE(FileBytes(state), stateBefore);
}

// A radio that acknowledges a channel but does not keep it: the verify names the channel and
// the write ends with 7; --no-verify takes the radio's word for it.
TEST(CliEndToEnd, TheVerifyCatchesARadioThatDropsAChannel) {
    QTemporaryDir dir;
    Sim sim({"--family", "orv", "--announce-delay", "300", "--drop-channel", "5"});
    ASSERT_FALSE(sim.Port().isEmpty());
    const QStringList connect{"--port", sim.Port(), "--family", "orv"};
    const CliResult read = RunCli(QStringList{"read"} + connect);
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    QJsonObject wanted = ParseSettings(read);
    SetChannel(wanted, 5, {{"channel", "5"}, {"frequency", "455.000000"}});
    const QString path = WriteDocument(dir, "wanted.json", wanted);

    sim.PowerCycle();
    const CliResult write = RunCli(QStringList{"write", "--settings", path} + connect);
    EXPECT_EQ(write.status, 7) << write.err.toStdString();
    EXPECT_TRUE(write.err.contains("channel 5: 455.000 MHz -> ")) << write.err.toStdString();
    EXPECT_TRUE(write.err.contains("Written but not as asked")) << write.err.toStdString();

    sim.PowerCycle();
    const CliResult trusting =
        RunCli(QStringList{"write", "--no-verify", "--settings", path} + connect);
    EXPECT_EQ(trusting.status, 0) << trusting.err.toStdString();
    EXPECT_FALSE(trusting.err.contains("Reading the settings back")) << trusting.err.toStdString();
}

// As a new user would: a QX document prepared at the desk from a kept read, changed, compared,
// then tried and written into two radios in turn, each verified, every read in the history.
TEST(CliEndToEnd, OneDocumentIntoTwoRadiosInALoop) {
    QTemporaryDir home;
    QTemporaryDir dir;
    Sim first({"--family", "qx", "--announce-delay", "300"});
    Sim second({"--family", "qx", "--announce-delay", "300"});
    ASSERT_FALSE(first.Port().isEmpty());
    ASSERT_FALSE(second.Port().isEmpty());
    const auto connect = [](const Sim& sim) {
        return QStringList{"--port", sim.Port(), "--family", "qx", "--link", "config-key"};
    };

    // The desk: the first radio read once, its kept read the starting point.
    const CliResult read = RunCli(QStringList{"read"} + connect(first), home.path());
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    const CliResult kept = RunCli({"history"}, home.path());
    ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
    const QString keptPath = QString::fromUtf8(kept.out).split('\n').first().section("  ", -1);
    ASSERT_TRUE(QFileInfo::exists(keptPath)) << kept.out.toStdString();
    QJsonObject wanted = QJsonDocument::fromJson(FileBytes(keptPath)).object();
    SetRegister(wanted, "qx", "s103", 7); // Bellmark at 19200
    SetChannel(wanted, 20,
               {{"channel", "20"},
                {"frequency", "466.500000"},
                {"bandwidth", "12.5 KHz"},
                {"direction", "Rx&Tx"}});
    const QString path = WriteDocument(dir, "job.json", wanted);
    const CliResult diff = RunCli({"diff", keptPath, path}, home.path());
    EXPECT_EQ(diff.status, 1) << diff.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(diff.out),
              "S103 air rate: 9600 -> 19200\nchannel 20: added, 466.500 MHz, 12.5 kHz, Rx&Tx\n");

    for (Sim* radio : {&first, &second}) {
        radio->PowerCycle();
        const CliResult dry = RunCli(
            QStringList{"write", "--dry-run", "--settings", path} + connect(*radio), home.path());
        ASSERT_EQ(dry.status, 0) << dry.err.toStdString();
        EXPECT_TRUE(dry.out.contains("channel 20: added")) << dry.out.toStdString();
        radio->PowerCycle();
        const CliResult write =
            RunCli(QStringList{"write", "--settings", path} + connect(*radio), home.path());
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains("Verified")) << write.err.toStdString();
    }
    // One read, then per radio the dry run's read, the write's read and the verify.
    const CliResult history = RunCli({"history"}, home.path());
    EXPECT_EQ(QString::fromUtf8(history.out).count('\n'), 7) << history.out.toStdString();
    const QString firstPort = "  " + first.Port().replace('/', '-') + "  ";
    EXPECT_EQ(QString::fromUtf8(history.out).count(firstPort), 4) << history.out.toStdString();
}

TEST(CliEndToEnd, EveryProgramNamesItsVersion) {
    for (const char* program : {ORVCONF_CLI, ORVCONF_SIM, ORVCONF_APP}) {
        QProcess process;
        process.start(program, {"--version"});
        ASSERT_TRUE(process.waitForFinished(kTimeoutMs)) << program;
        EXPECT_EQ(process.exitCode(), 0) << program;
        const QString name = QFileInfo(program).fileName();
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
                  QString("%1 %2\n").arg(name, kOrvconfVersion));
    }
}

TEST(CliEndToEnd, PortVanishingMidReadEndsWithStatus4) {
    auto sim = std::make_unique<Sim>(QStringList{"--family", "orv", "--announce-delay", "300"});
    ASSERT_FALSE(sim->Port().isEmpty());
    QProcess cli;
    cli.setProcessEnvironment(ScaledEnvironment());
    cli.start(ORVCONF_CLI, {"read", "--port", sim->Port(), "--family", "orv"});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("Reading the settings") && clock.elapsed() < kTimeoutMs &&
           cli.state() == QProcess::Running) {
        cli.waitForReadyRead(100);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("Reading the settings")) << err.toStdString();
    sim->Kill();
    ASSERT_TRUE(cli.waitForFinished(kTimeoutMs));
    err += cli.readAllStandardError();
    EXPECT_EQ(cli.exitCode(), 4) << err.toStdString();
    EXPECT_TRUE(err.contains("was lost")) << err.toStdString();
}

} // namespace
