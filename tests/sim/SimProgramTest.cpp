// orvconf-sim as a separate process on its pseudo-terminal, driven from the tool's side with
// plain termios (and once with QSerialPort for a rate that needs a custom divisor). Deadlines
// are generous: the machine may be busy.

#include "SimPortRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kDeadlineMs = 15000;
constexpr int kQuietMs = 1200; // how long "no answer" is waited for
const std::string kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
// For tests that talk to the radio from the start: a power-on in the middle would undo what
// was written and not saved.
const char* const kNever = "600000";

speed_t SpeedOf(int baud) {
    switch (baud) {
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    default:
        return B9600;
    }
}

// The tool's end of the line.
class CToolEnd {
public:
    CToolEnd(const QString& device, int baud) {
        m_fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0) {
            SetBaud(baud);
        }
    }
    ~CToolEnd() { Close(); }
    CToolEnd(const CToolEnd&) = delete;
    CToolEnd& operator=(const CToolEnd&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    void SetBaud(int baud) {
        termios settings{};
        ::tcgetattr(m_fd, &settings);
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, SpeedOf(baud));
        ::cfsetospeed(&settings, SpeedOf(baud));
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
    void Write(const std::string& bytes) {
        ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until expected has arrived (true) or timeoutMs has passed; received collects all.
    bool WaitFor(const std::string& expected, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (received.find(expected) == std::string::npos) {
            if (clock.elapsed() > timeoutMs || !ReadSome(50)) {
                return received.find(expected) != std::string::npos;
            }
        }
        return true;
    }
    // Reads for ms; false when the line went away.
    bool ReadSome(int ms) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, ms) > 0) {
            char buffer[1024];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                return false;
            }
        }
        return true;
    }
    // True when the other end has gone (hang-up, end of file or an error on read).
    bool WaitForHangUp(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (!ReadSome(50)) {
                return true;
            }
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0) {
                return true;
            }
        }
        return false;
    }

    std::string received;

private:
    int m_fd = -1;
};

// One orvconf-sim process with its own registry folder.
class CSimProcess {
public:
    explicit CSimProcess(QStringList arguments, const QString& runtimeDir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ORVCONF_SIM_PROGRAM), arguments);
        if (!process.waitForStarted(kDeadlineMs)) {
            return;
        }
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < kDeadlineMs &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
        }
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~CSimProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kDeadlineMs);
        }
    }
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    bool Terminate() {
        process.terminate();
        return process.waitForFinished(kDeadlineMs);
    }

    QProcess process;
    QString device;
};

class SimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_runtime.isValid());
        // The registry of this process follows the same folder as the simulators'.
        m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_previousRuntime); }

    QString RuntimeDir() const { return m_runtime.path(); }
    QString FileIn(const QString& name) const { return m_runtime.filePath(name); }

private:
    QTemporaryDir m_runtime;
    QByteArray m_previousRuntime;
};

bool Listed(const QString& device) {
    for (const SimPortEntry& entry : SimPortRegistry::Running()) {
        if (entry.devicePath == device) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(SimProgram, OrvAnnouncesAndAnswersOnlyAtItsRate) {
    CSimProcess sim({"--family", "orv", "--no-pace", "--announce-delay", "200"}, RuntimeDir());
    ASSERT_TRUE(sim.device.startsWith(QLatin1String("/dev/"))) << sim.device.toStdString();
    const QList<SimPortEntry> running = SimPortRegistry::Running();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].devicePath, sim.device);
    EXPECT_EQ(running[0].portName, sim.device.mid(5));
    EXPECT_EQ(running[0].family, QLatin1String("orv"));
    EXPECT_EQ(running[0].baud, 9600);

    CToolEnd tool(sim.device, 9600);
    ASSERT_TRUE(tool.IsOpen());
    ASSERT_TRUE(tool.WaitFor("CH03UHF07 ORV-25W\r\n", kDeadlineMs)) << tool.received;
    EXPECT_EQ(tool.received, "CH03UHF07 ORV-25W\r\n");

    tool.received.clear();
    tool.Write("+++");
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;

    tool.received.clear();
    tool.SetBaud(4800);
    tool.Write("ATS105?\r");
    EXPECT_FALSE(tool.WaitFor("OK", kQuietMs));
    EXPECT_EQ(tool.received, "") << "bytes at another rate are line noise to the radio";

    tool.SetBaud(9600);
    tool.Write("ATS105?\r");
    EXPECT_TRUE(tool.WaitFor("ATS105?\r\n12\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;

    ASSERT_TRUE(sim.Terminate());
    EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process.exitCode(), 0);
    EXPECT_TRUE(tool.WaitForHangUp(kDeadlineMs)) << "the tool sees the port go away";
    EXPECT_TRUE(QDir(SimPortRegistry::Directory())
                    .entryList({QStringLiteral("sim-*.json")}, QDir::Files)
                    .isEmpty())
        << "the entry is withdrawn";
}

TEST_F(SimProgram, KilledSimulatorLeavesNoUsablePortBehind) {
    CSimProcess sim({"--family", "qx", "--no-pace", "--announce-delay", kNever}, RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    ASSERT_TRUE(Listed(sim.device));
    CToolEnd tool(sim.device, 9600);
    ASSERT_TRUE(tool.IsOpen());

    sim.process.kill();
    ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    EXPECT_TRUE(tool.WaitForHangUp(kDeadlineMs));
    tool.Close();
    EXPECT_FALSE(Listed(sim.device)) << "a dead simulator's entry is not offered";
}

TEST_F(SimProgram, QxIsFoundAtItsOwnRateOnlyBySoftDiagnosis) {
    CSimProcess sim({"--family", "qx", "--rate", "19200", "--no-pace", "--announce-delay", "300"},
                    RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    // As the search does: open at each rate and send "+++" at once.
    for (int baud : {4800, 9600}) {
        CToolEnd tool(sim.device, baud);
        ASSERT_TRUE(tool.IsOpen());
        tool.Write("+++");
        EXPECT_FALSE(tool.WaitFor("OK", kQuietMs)) << baud << " baud: " << tool.received;
    }
    CToolEnd tool(sim.device, 19200);
    tool.Write("+++");
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;
    tool.received.clear();
    tool.Write("ATS102?\r");
    EXPECT_TRUE(tool.WaitFor("ATS102?\r\n5\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
}

TEST_F(SimProgram, QxHeldInConfigTalksAtNineThousandSixHundred) {
    CSimProcess sim({"--family", "qx", "--rate", "19200", "--no-pace", "--announce-delay", "200"},
                    RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    CToolEnd tool(sim.device, 9600);
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;
    tool.received.clear();
    tool.Write("ATS186?\r");
    EXPECT_TRUE(tool.WaitFor("ATS186?\r\n0\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
}

TEST_F(SimProgram, QxAnswersAtACustomRateSetBySerialPort) {
    CSimProcess sim({"--family", "qx", "--rate", "14400", "--no-pace"}, RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    QSerialPort port(sim.device);
    port.setBaudRate(14400);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
    port.write("+++");
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    while (!received.contains("OK\r\n") && clock.elapsed() < kDeadlineMs) {
        port.waitForReadyRead(100);
        received += port.readAll();
    }
    EXPECT_EQ(received.toStdString(), kStartAnswer);
}

TEST_F(SimProgram, ReopeningSoonIsNoPowerOnButEnterIs) {
    CSimProcess sim({"--family", "orv", "--no-pace", "--announce-delay", "200"}, RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    {
        CToolEnd tool(sim.device, 9600);
        ASSERT_TRUE(tool.WaitFor("ORV-25W\r\n", kDeadlineMs));
    }
    // The power-on detection re-opens the port at the radio's rate about a second later.
    QThread::msleep(300);
    CToolEnd tool(sim.device, 9600);
    EXPECT_FALSE(tool.WaitFor("ORV", kQuietMs)) << tool.received;
    tool.Write("+++");
    EXPECT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;

    // Enter on standard input switches the radio off and on.
    tool.received.clear();
    sim.process.write("\n");
    ASSERT_TRUE(sim.process.waitForBytesWritten(kDeadlineMs));
    EXPECT_TRUE(tool.WaitFor("CH03UHF07 ORV-25W\r\n", kDeadlineMs)) << tool.received;
}

TEST_F(SimProgram, SavedSettingsAreKeptInTheStateFile) {
    const QString stateFile = FileIn(QStringLiteral("radio.json"));
    {
        CSimProcess sim(
            {"--family", "orv", "--no-pace", "--announce-delay", kNever, "--state", stateFile},
            RuntimeDir());
        ASSERT_FALSE(sim.device.isEmpty());
        CToolEnd tool(sim.device, 9600);
        tool.Write("+++");
        ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs));
        tool.Write("ats105=77\r");
        ASSERT_TRUE(tool.WaitFor("ats105=77\r\n\r\nOK\r\n", kDeadlineMs));
        tool.Write("at&w\r");
        ASSERT_TRUE(tool.WaitFor("at&w\r\n\r\nOK\r\n", kDeadlineMs));
        ASSERT_TRUE(sim.Terminate());
    }
    QFile file(stateFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(saved.value("registers").toObject().value("S105").toInt(), 77);

    CSimProcess again(
        {"--family", "orv", "--no-pace", "--announce-delay", kNever, "--state", stateFile},
        RuntimeDir());
    ASSERT_FALSE(again.device.isEmpty());
    CToolEnd tool(again.device, 9600);
    tool.Write("+++");
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs));
    tool.Write("ATS105?\r");
    EXPECT_TRUE(tool.WaitFor("ATS105?\r\n77\r\n", kDeadlineMs)) << tool.received;
}

TEST_F(SimProgram, BadStateFileIsReportedAndLeftAlone) {
    const QString stateFile = FileIn(QStringLiteral("broken.json"));
    const QByteArray broken = R"({"family": "orv", "registers": {"S102": 8}})";
    {
        QFile file(stateFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(broken);
    }
    QProcess process;
    process.start(QStringLiteral(ORVCONF_SIM_PROGRAM), {"--family", "orv", "--state", stateFile});
    ASSERT_TRUE(process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("S102"));
    QFile file(stateFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), broken);
}

TEST_F(SimProgram, RepliesArePacedAtTheLineRate) {
    CSimProcess sim({"--family", "qx", "--announce-delay", kNever}, RuntimeDir());
    ASSERT_FALSE(sim.device.isEmpty());
    CToolEnd tool(sim.device, 9600);
    tool.Write("+++");
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs));
    tool.received.clear();
    QElapsedTimer clock;
    clock.start();
    tool.Write("ATP0?\r");
    ASSERT_TRUE(tool.WaitFor("\r\nOK\r\n", kDeadlineMs));
    // Ten bits per byte at 9600 baud: the listing cannot arrive faster than that.
    const qint64 lineMs = static_cast<qint64>(tool.received.size()) * 10 * 1000 / 9600;
    EXPECT_GE(clock.elapsed(), lineMs * 9 / 10) << tool.received.size() << " bytes";
}
