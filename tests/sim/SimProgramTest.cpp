// orvconf-sim: its saved settings file, and the program as a separate process
// on its pseudo-terminal, driven from the tool's side through QSerialPort. Deadlines are
// generous: the machine may be busy.

#include "serial/PublishedPorts.h"
#include "sim/SimStateFile.h"
#include "tests/support/SimProcess.h"
#include "tests/support/ToolEnd.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <tuple>

namespace {

constexpr int kDeadlineMs = CSimProcess::kDeadlineMs;
constexpr int kQuietMs = 1200; // how long "no answer" is waited for
const std::string kReport = "CH03UHF07 ORV-25W\r\n";

} // namespace

// Registers a file leaves out keep their factory values, or no case but the first would get as
// far as its own fault.
TEST(SimStateFile, RefusesWhatItCannotUseAndSaysWhy) {
    const std::pair<QByteArray, const char*> cases[] = {
        {"{\"family\": ", "JSON"},
        {R"({"family": "qx", "registers": {"S108": 34}})", "S108"},
        {R"({"family": "orv", "registers": {"S102": 8}})", "S102"},
        {R"({"family": "qx", "registers": {}, "channels": [{"channel": 3, )"
         R"("frequencyHz": 500000000}]})",
         "channel 3"},
    };
    for (const auto& [json, why] : cases) {
        SimState state = DefaultSimState(FAMILY_QX);
        const SimState before = state;
        QString error;
        EXPECT_FALSE(SimStateFromJson(json, &state, &error)) << json.constData();
        EXPECT_EQ(state, before) << "a refused file changes nothing";
        EXPECT_TRUE(error.contains(QLatin1String(why))) << error.toStdString();
    }
}

// An ORV radio: published while it runs, announces itself at power-on only, keeps what it saved in
// its state file across a restart, and withdraws its entry at the end.
TEST(SimProgram, OrvOnItsLineFromStartToEndAndAgain) {
    // Its own registry folder, for the simulators it starts and for its own look-ups.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString state = runtime.filePath("radio.json");
    const QStringList arguments = {"--family", "orv",     "--no-pace", "--announce-delay",
                                   "200",      "--state", state};
    {
        CSimProcess sim(ORVCONF_SIM_PROGRAM, arguments);
        ASSERT_TRUE(sim.device.startsWith(QLatin1String("/dev/"))) << sim.device.toStdString();
        const QList<PublishedPort> live = PublishedPorts::Live();
        ASSERT_EQ(live.size(), 1);
        EXPECT_EQ(live[0].devicePath, sim.device);
        EXPECT_EQ(live[0].ownerPid, sim.process.processId());
        QThread::msleep(100);
        {
            CToolEnd tool(sim.device, 9600);
            ASSERT_TRUE(tool.WaitFor(kReport)) << tool.received;
            EXPECT_EQ(tool.received, kReport);
        }
        // The power-on detection re-opens the port soon after: that is no new power-on.
        QThread::msleep(300);
        CToolEnd tool(sim.device, 9600);
        EXPECT_FALSE(tool.WaitFor("ORV", kQuietMs)) << tool.received;
        tool.Write("+++");
        ASSERT_TRUE(tool.WaitFor("\r\nNO CARRIER\r\nOK\r\n")) << tool.received;
        tool.Write("ats105=77\rat&w\r");
        EXPECT_TRUE(tool.WaitFor("at&w\r\n\r\nOK\r\n")) << tool.received;

        // Enter on standard input switches the radio off and on.
        tool.received.clear();
        sim.process.write("\n");
        ASSERT_TRUE(sim.process.waitForBytesWritten(kDeadlineMs));
        EXPECT_TRUE(tool.WaitFor(kReport)) << tool.received;

        sim.process.terminate();
        ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
        EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.process.exitCode(), 0);
        EXPECT_TRUE(QDir(PublishedPorts::Directory()).entryList(QDir::Files).isEmpty())
            << "the entry is withdrawn";
    }
    CSimProcess again(ORVCONF_SIM_PROGRAM, arguments);
    CToolEnd tool(again.device, 9600);
    ASSERT_TRUE(tool.WaitFor(kReport)) << tool.received;
    tool.Write("+++ATS105?\r");
    EXPECT_TRUE(tool.WaitFor("ATS105?\r\n77\r\n")) << tool.received;
    again.Kill();

    // A state file it cannot use or a bad option stops it with one line naming the problem; the
    // file is left as it was.
    const QByteArray garbage("\x00\x01 not json", 11);
    QFile file(state);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(garbage), garbage.size());
    file.close();
    const std::pair<QStringList, const char*> bad[] = {
        {arguments, "radio.json"},
        {{"--family", "orv", "--fault", "melt"}, "melt"},
        {{"--family", "orv", "--rate", "7200"}, "--rate"}, // a QX rate only
        {{"--family", "orv", "stray"}, "unexpected argument \"stray\""},
    };
    for (const auto& [options, problem] : bad) {
        QProcess process;
        process.start(QStringLiteral(ORVCONF_SIM_PROGRAM), options);
        ASSERT_TRUE(process.waitForFinished(kDeadlineMs));
        EXPECT_NE(process.exitCode(), 0);
        const QByteArray err = process.readAllStandardError().trimmed();
        EXPECT_TRUE(err.contains(problem) && !err.contains('\n')) << err.toStdString();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

// The faults that change what the radio does, as the program takes them on its command line.
TEST(SimProgram, MisbehavesAtTheReplyItIsTold) {
    const std::string ask[] = {"Enter Channel Number", "Enter Frequency", "Enter Bandwidth"};
    // "+++" draws reply 1 (a module not held in CONFIG says nothing at power-on), then the
    // commands below one each.
    const std::tuple<const char*, const char*, std::string, std::string> cases[] = {
        {"change-digit", "2", "ats102=5\r", "ats102=6\r\n\r\nOK\r\n"},
        {"skip-prompt", "4", "ATP0=\rmord%ax5\r", "5\r\n" + ask[2]},
        {"repeat-prompt", "4", "ATP0=\rmord%ax5\r", "5\r\n" + ask[0]},
    };
    for (const auto& [fault, at, sent, answer] : cases) {
        SCOPED_TRACE(fault);
        CSimProcess sim(ORVCONF_SIM_PROGRAM, {"--family", "qx", "--no-pace", "--announce-delay",
                                              "3600000", "--fault", fault, "--fault-at", at});
        CToolEnd tool(sim.device, 9600);
        tool.Write("+++");
        ASSERT_TRUE(tool.WaitFor("\r\nNO CARRIER\r\nOK\r\n")) << tool.received;
        tool.Write(sent);
        EXPECT_TRUE(tool.WaitFor(answer)) << tool.received;
    }
}
