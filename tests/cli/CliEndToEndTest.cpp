// orvconf-cli against orvconf-sim on a pseudo-terminal, the waits scaled down: a read by every
// road, a dry run, a write verified by reading the radio back, and a radio that refuses or drops
// part of a write. Usage, bad input and documents run in-process (CliTest).

#include "tests/support/FileBytes.h"
#include "tests/support/JsonEdit.h"
#include "tests/support/SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

constexpr int kTimeoutMs = 120000;

// The radio is switched on when the client asks for it, never by the opening of its port.
struct Sim : CSimProcess {
    explicit Sim(const QStringList& args)
        : CSimProcess(ORVCONF_SIM, args + QStringList{"--no-pace", "--manual-power"}) {}
};

using CliResult = ProgramRun;

// sim: the radio switched on when the client asks for it (none: it stays off). redirect: a
// shell redirection of the program's standard output.
CliResult RunCli(const QStringList& args, Sim* sim = nullptr, const QString& redirect = {}) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVCONF_TIME_SCALE", "0.1");
    cli.setProcessEnvironment(env);
    if (redirect.isEmpty()) {
        cli.start(ORVCONF_CLI, args);
    } else {
        cli.start("/bin/sh",
                  QStringList{"-c", "exec \"$0\" \"$@\" " + redirect, ORVCONF_CLI} + args);
    }
    return RunSwitchingOn(cli, sim, kTimeoutMs);
}

QJsonObject Parse(const QByteArray& json) {
    const QJsonObject doc = QJsonDocument::fromJson(json).object();
    EXPECT_FALSE(doc.isEmpty()) << json.toStdString();
    return doc;
}

QString WriteDocument(const QTemporaryDir& dir, const QJsonObject& document) {
    QFile file(dir.filePath("wanted.json"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(document).toJson());
    return file.fileName();
}

TEST(CliEndToEnd, AReadByEveryRoad) {
    QTemporaryDir dir;
    const QString trace = dir.filePath("trace.txt");
    struct Case {
        QString sim;
        QString cli; // after the port
        QString redirect;
        int status;
        const char* message;
        bool switchOn = true; // when the client asks
    };
    const std::vector<Case> cases = {
        // Glitches that carry no value: a stray byte before the power-on report, an empty line
        // at the end of the listing.
        {"orv --power-on-noise ff --listing-empty-line", "orv", "", 0,
         "Switch the ORV radio on now"},
        {"qx --rate 57600", "qx --link soft-diagnosis --trace " + trace, "", 0,
         "Module found at 57600 baud"},
        // Never powered with CONFIG held.
        {"qx", "qx --link config-key", "", 3, "No module answered", false},
        {"", "orv", "", 2, "Cannot open serial port /dev/ttyORVCONF_ABSENT: it does not exist"},
        // Standard output closed: the serial port must not take its place.
        {"qx", "qx --link config-key", ">&-", 8, "Cannot write to standard output: "},
    };
    for (const Case& c : cases) {
        std::optional<Sim> sim; // none: a port that is not there
        if (!c.sim.isEmpty()) {
            sim.emplace(QStringList{"--family"} + c.sim.split(' '));
            ASSERT_FALSE(sim->Port().isEmpty());
        }
        const QString port = sim ? sim->Port() : "/dev/ttyORVCONF_ABSENT";
        const CliResult r =
            RunCli(QStringList{"read", "--port", port, "--family"} + c.cli.split(' '),
                   c.switchOn && sim ? &*sim : nullptr, c.redirect);
        SCOPED_TRACE(r.err.toStdString());
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(c.message));
        if (c.status != 0) {
            continue;
        }
        const QJsonObject read = Parse(r.out);
        const QJsonArray channels = read["channels"].toArray();
        EXPECT_EQ(channels.size(), 64);
        EXPECT_FALSE(channels[0].toObject()["frequency"].toString().isEmpty());
    }
    // The trace holds the search: the port reopened at each rate tried, the escape.
    const QByteArray text = FileBytes(trace);
    EXPECT_GT(text.count("--  reopen "), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("|+++|"));
}

// The settings a read gave, changed as a user would, tried with --dry-run (nothing written),
// written (verified by reading back), and read again: the radio holds what was asked for, and
// every read is in the history.
TEST(CliEndToEnd, ADryRunThenAVerifiedWrite) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    struct Case {
        const char* family;
        QStringList link;
        std::function<void(QJsonObject&)> change;
        const char* dryRunLine;
        std::function<void(QJsonObject&)> asListed; // what the radio lists besides the change
    };
    const std::vector<Case> cases = {
        {"orv",
         {},
         [](QJsonObject& d) {
             // QZ transparent repeater: the layout that programs rows 62 and 63.
             d["orv"] =
                 QJsonObject{{"s128", 0}, {"s186", 0}, {"s127", 0}, {"s103", 5},   {"s141", 1},
                             {"s101", 0}, {"s226", 0}, {"s190", 1}, {"s105", "77"}};
             // Row 63 stays channel 61's, as the radio lists it: no other value can be written.
             SetChannel(d, 62, {{"channel", "62"}, {"frequency", "460.000000"}});
         },
         "S105 radio address: ",
         [](QJsonObject& d) {
             // The listing repeats the line two before row 63 in it.
             QJsonArray rows = d["channels"].toArray();
             rows[63] = rows[61];
             d["channels"] = rows;
         }},
        {"qx",
         {"--link", "config-key"},
         [](QJsonObject& d) {
             SetChannel(d, 12,
                        {{"channel", "12"},
                         {"frequency", "470.000000"},
                         {"bandwidth", "25   KHz"},
                         {"direction", "Rx"}});
             SetChannel(d, 0, {{"direction", ""}}); // incomplete: deleted
             SetRegister(d, "qx", "s186", 2);       // Trimtalk, remote
             SetRegister(d, "qx", "s101", 2);
             SetRegister(d, "qx", "s108", 30);
         },
         "channel 12: added, 470.000 MHz, 25 kHz, Rx",
         [](QJsonObject& d) {
             SetChannel(d, 0, {{"channel", ""}, {"frequency", ""}, {"bandwidth", ""}});
         }},
    };
    QStringList ports;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        QTemporaryDir dir;
        const QString state = dir.filePath("radio.state");
        const QString log = dir.filePath("radio.log");
        Sim sim({"--family", c.family, "--state", state, "--log", log});
        const QStringList connect =
            QStringList{"--port", sim.Port(), "--family", c.family} + c.link;
        const CliResult before = RunCli(QStringList{"read"} + connect, &sim);
        ASSERT_EQ(before.status, 0) << before.err.toStdString();
        QJsonObject wanted = Parse(before.out);
        c.change(wanted);
        const QString path = WriteDocument(dir, wanted);
        const QByteArray stateBefore = FileBytes(state);

        const CliResult dry =
            RunCli(QStringList{"write", "--dry-run", "--settings", path} + connect, &sim);
        ASSERT_EQ(dry.status, 0) << dry.err.toStdString();
        EXPECT_TRUE(dry.out.contains(c.dryRunLine)) << dry.out.toStdString();
        EXPECT_EQ(FileBytes(state), stateBefore);
        for (const char* command : {"ATP0=", "AT&F", "ats1", "at&w"}) {
            EXPECT_FALSE(FileBytes(log).contains(command)) << command;
        }

        const CliResult write = RunCli(QStringList{"write", "--settings", path} + connect, &sim);
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains("Verified: the radio holds what was written"))
            << write.err.toStdString();

        const CliResult after = RunCli(QStringList{"read"} + connect, &sim);
        ASSERT_EQ(after.status, 0) << after.err.toStdString();
        c.asListed(wanted);
        EXPECT_EQ(Parse(after.out), wanted) << after.out.toStdString();
        ports << sim.Port().replace('/', '-');
    }
    // Per radio the first read, the dry run's, the write's, the verify's and the last.
    const QStringList history =
        QString::fromUtf8(RunCli({"history"}).out).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(history.size(), 10) << history.join('\n').toStdString();
    EXPECT_TRUE(history.value(0).contains("  qx   " + ports.value(1) + "  " + home.path()));
    EXPECT_TRUE(history.value(9).contains("  orv  " + ports.value(0) + "  " + home.path()));
}

// A radio that refuses a write command, or acknowledges a channel but does not keep it: the
// verify names the channel.
TEST(CliEndToEnd, AWriteTheRadioRefusesOrDoesNotKeep) {
    struct Case {
        QStringList fault;
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"--error-on", "ats105="}, 5, "The radio answered ERROR"},
        {{"--drop-channel", "5"}, 7, "channel 5: 455.000 MHz -> "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        QTemporaryDir dir;
        Sim sim(c.fault + QStringList{"--family", "orv"});
        const QStringList connect{"--port", sim.Port(), "--family", "orv"};
        const CliResult read = RunCli(QStringList{"read"} + connect, &sim);
        ASSERT_EQ(read.status, 0) << read.err.toStdString();
        QJsonObject wanted = Parse(read.out);
        SetChannel(wanted, 5, {{"channel", "5"}, {"frequency", "455.000000"}});
        const CliResult write =
            RunCli(QStringList{"write", "--settings", WriteDocument(dir, wanted)} + connect, &sim);
        EXPECT_EQ(write.status, c.status) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains(c.message)) << write.err.toStdString();
    }
}

// A module whose compatible presets leave S141 as it was (here the transparent repeater's 1):
// the write is good, and S141 is named as not checked instead of failing the verify.
TEST(CliEndToEnd, ARegisterOnlyThePresetSetsIsNotChecked) {
    QTemporaryDir dir;
    const QString state = dir.filePath("radio.state");
    QJsonObject wanted;
    {
        // Our simulated module, whose transparent presets set S141: the repeater's 1.
        Sim sim({"--family", "qx", "--state", state});
        const QStringList connect{"--port", sim.Port(), "--family", "qx", "--link", "config-key"};
        const CliResult read = RunCli(QStringList{"read"} + connect, &sim);
        ASSERT_EQ(read.status, 0) << read.err.toStdString();
        wanted = Parse(read.out);
        SetRegister(wanted, "qx", "s186", 0);
        SetRegister(wanted, "qx", "s141", 1);
        const CliResult write =
            RunCli(QStringList{"write", "--settings", WriteDocument(dir, wanted)} + connect, &sim);
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_FALSE(write.err.contains("Not checked")) << write.err.toStdString();
    }
    // The same module as one whose presets leave S141 alone: Bellmark, Trimtalk and Satel
    // keep the 1.
    Sim sim({"--family", "qx", "--state", state, "--preset-keeps", "141"});
    const QStringList connect{"--port", sim.Port(), "--family", "qx", "--link", "config-key"};
    struct Air {
        int protocol, workMode, modulation, airRate; // each a preset the module has, at 25 kHz
    };
    for (const Air air : {Air{1, 0, 0, 5}, Air{2, 2, 0, 5}, Air{3, 0, 1, 7}}) {
        SCOPED_TRACE(air.protocol);
        SetRegister(wanted, "qx", "s186", air.protocol);
        SetRegister(wanted, "qx", "s101", air.workMode);
        SetRegister(wanted, "qx", "s127", air.modulation);
        SetRegister(wanted, "qx", "s103", air.airRate);
        SetRegister(wanted, "qx", "s125", 2);
        const CliResult write =
            RunCli(QStringList{"write", "--settings", WriteDocument(dir, wanted)} + connect, &sim);
        EXPECT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains("Not checked (set by the radio's preset): S141"))
            << write.err.toStdString();
    }
    const CliResult after = RunCli(QStringList{"read"} + connect, &sim);
    ASSERT_EQ(after.status, 0) << after.err.toStdString();
    EXPECT_EQ(Parse(after.out)["qx"].toObject()["s141"].toInt(), 1);
}

} // namespace
