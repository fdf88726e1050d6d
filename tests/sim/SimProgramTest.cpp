// orvconf-sim: its saved settings file and command line, and the program as a separate process
// on its pseudo-terminal, driven from the tool's side through QSerialPort (which sets rates that
// need a custom divisor too). Deadlines are generous: the machine may be busy.

#include "serial/PublishedPorts.h"
#include "sim/SimOptions.h"
#include "sim/SimStateFile.h"
#include "tests/support/SimProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int kDeadlineMs = CSimProcess::kDeadlineMs;
constexpr int kQuietMs = 1200; // how long "no answer" is waited for
const std::string kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
// For tests that talk to the radio from the start: a power-on in the middle would undo what
// was written and not saved.
const char* const kNever = "600000";

// The tool's end of the line.
class CToolEnd {
public:
    CToolEnd(const QString& device, int baud) : m_port(device) {
        m_port.setBaudRate(baud);
        EXPECT_TRUE(m_port.open(QIODevice::ReadWrite)) << m_port.errorString().toStdString();
    }
    void SetBaud(int baud) { m_port.setBaudRate(baud); }
    void Write(const std::string& bytes) {
        m_port.write(bytes.data(), static_cast<qint64>(bytes.size()));
        m_port.waitForBytesWritten(kDeadlineMs);
    }
    // Reads until expected has arrived (true) or timeoutMs has passed; received collects all.
    bool WaitFor(const std::string& expected, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (received.find(expected) == std::string::npos && clock.elapsed() < timeoutMs) {
            m_port.waitForReadyRead(50);
            received += m_port.readAll().toStdString();
        }
        return received.find(expected) != std::string::npos;
    }

    std::string received;

private:
    QSerialPort m_port;
};

// Each test has its own registry folder, for the simulators it starts and for its own look-ups.
class SimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_runtime.isValid());
        m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_previousRuntime); }

    QTemporaryDir m_runtime;
    QByteArray m_previousRuntime;
};

QByteArray QxWithChannel(const char* number, const char* hz, const char* bandwidth) {
    return QByteArray(R"({"family": "qx", "registers": {}, "channels": [{"channel": )") + number +
           R"(, "frequencyHz": )" + hz + R"(, "bandwidthKHz": ")" + bandwidth +
           R"(", "direction": "Rx"}]})";
}

bool Listed(const QString& device) {
    const QList<PublishedPort> live = PublishedPorts::Live();
    return std::any_of(live.begin(), live.end(),
                       [&](const PublishedPort& port) { return port.devicePath == device; });
}

// Opens the line at 9600, writes bytes and closes it again at once, having set the line to
// leaveAt in between (as a tool that puts back its earlier settings would).
void WriteAndClose(const QString& device, const std::string& bytes, speed_t leaveAt) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios settings{};
    ASSERT_EQ(::tcgetattr(fd, &settings), 0);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &settings), 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::cfsetspeed(&settings, leaveAt);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &settings), 0);
    ::close(fd);
}

// Whether the log has a line of bytes taken in direction at baud with text.
bool Logged(const QString& log, const char* direction, int baud, const char* text) {
    QElapsedTimer clock;
    clock.start();
    const QString wanted = QStringLiteral("%1 %2 ").arg(QLatin1String(direction), -4).arg(baud, 6);
    do {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
                if (line.contains(wanted) && line.contains(QLatin1String(text))) {
                    return true;
                }
            }
        }
        QThread::msleep(50);
    } while (clock.elapsed() < kDeadlineMs);
    return false;
}

} // namespace

TEST(SimStateFile, KeepsEverythingAcrossAWriteAndARead) {
    for (int family : {FAMILY_ORV, FAMILY_QX}) {
        SimState state = DefaultSimState(family);
        state.registers[105] = 201;
        state.registers[102] = family == FAMILY_ORV ? 9 : 14;
        state.channels[7] = {};
        state.channels[63] = {true, 479993750, 0, 1};
        state.currentChannel = family == FAMILY_ORV ? 16 : state.currentChannel;
        SimState read;
        QString error;
        ASSERT_TRUE(SimStateFromJson(SimStateToJson(state), &read, &error)) << error.toStdString();
        EXPECT_EQ(read, state);
    }
}

// Registers a file leaves out keep their factory values, or no case but the first two would
// get as far as its own fault.
TEST(SimStateFile, RefusesWhatItCannotUseAndSaysWhy) {
    const std::pair<QByteArray, const char*> cases[] = {
        {"{\"family\": ", "JSON"},
        {R"({"family": "abc", "registers": {}})", "family"},
        {R"({"family": "qx", "registers": {"S226": 1}})", "S226"},
        {R"({"family": "qx", "registers": {"S108": 34}})", "S108"},
        {R"({"family": "qx", "registers": {"S105": 1.5}})", "S105"},
        {R"({"family": "orv", "registers": {"S102": 8}})", "S102"},
        {R"({"family": "orv", "currentChannel": 17, "registers": {}})", "current channel"},
        {QxWithChannel("3", "500000000", "25"), "channel 3"},
        {QxWithChannel("64", "433000000", "25"), "0..63"},
        {QxWithChannel("3", "433000000", "20"), "bandwidthKHz"},
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

TEST(SimOptions, ReadsTheFaultsAndRefusesBadValues) {
    SimOptions options;
    QString message;
    const QStringList replyFaults = {"--value-noise",
                                     "ff",
                                     "--value-noise-on",
                                     "ATS132?",
                                     "--power-on-noise",
                                     "00ff",
                                     "--reset-on",
                                     "ATS186?",
                                     "--listing-noise",
                                     "a5",
                                     "--listing-empty-line",
                                     "--fault",
                                     "Cut",
                                     "--fault-at",
                                     "7"};
    ASSERT_EQ(ParseSimOptions(QStringList{"orvconf-sim", "--family", "QX", "--rate", "7200",
                                          "--no-pace", "--noise", "ff 00", "--silent-after", "5",
                                          "--error-on", "ats105=", "--extra-listing-lines", "3"} +
                                  replyFaults,
                              &options, &message),
              SimOptionsResult::Run)
        << message.toStdString();
    EXPECT_EQ(options.family, FAMILY_QX);
    EXPECT_EQ(options.baud, 7200);
    EXPECT_FALSE(options.pace);
    EXPECT_EQ(options.faults.noise, std::string("\xff\x00", 2));
    EXPECT_EQ(options.faults.silentAfter, 5);
    EXPECT_EQ(options.faults.errorOn, "ats105=");
    EXPECT_EQ(options.faults.extraListingLines, 3);
    EXPECT_EQ(options.faults.valueNoise, "\xff");
    EXPECT_EQ(options.faults.valueNoiseOn, "ATS132?");
    EXPECT_EQ(options.faults.powerOnNoise, std::string("\x00\xff", 2));
    EXPECT_EQ(options.faults.resetOn, "ATS186?");
    EXPECT_EQ(options.faults.listingNoise, "\xa5");
    EXPECT_TRUE(options.faults.listingEmptyLine);
    EXPECT_EQ(options.faults.stepFault, SimStepFault::Cut);
    EXPECT_EQ(options.faults.stepFaultAt, 7);

    const std::pair<QStringList, const char*> errors[] = {
        {{}, "--family"},
        {{"--family", "xyz"}, "orv or qx"},
        {{"--family", "orv", "--rate", "7200"}, "--rate"}, // a QX rate only
        {{"--family", "orv", "--noise", "f"}, "--noise"},
        {{"--family", "orv", "--listing-noise", "xy"}, "--listing-noise"},
        {{"--family", "orv", "--announce-delay", "-5"}, "delay"},
        {{"--family", "orv", "--bogus"}, "bogus"},
        {{"--family", "orv", "--fault", "melt"}, "melt"},
        {{"--family", "orv", "--fault", "cut", "--fault-at", "-1"}, "--fault-at"},
    };
    for (const auto& [arguments, why] : errors) {
        EXPECT_EQ(ParseSimOptions(QStringList{"orvconf-sim"} + arguments, &options, &message),
                  SimOptionsResult::Error)
            << arguments.join(' ').toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(why))) << message.toStdString();
    }
}

TEST_F(SimProgram, OrvAnnouncesAtPowerOnOnlyAndAnswersOnlyAtItsRate) {
    const std::string report = "CH03UHF07 ORV-25W\r\n";
    CSimProcess sim(ORVCONF_SIM_PROGRAM,
                    {"--family", "orv", "--no-pace", "--announce-delay", "200"});
    ASSERT_TRUE(sim.device.startsWith(QLatin1String("/dev/"))) << sim.device.toStdString();
    const QList<PublishedPort> live = PublishedPorts::Live();
    ASSERT_EQ(live.size(), 1);
    EXPECT_EQ(live[0].devicePath, sim.device);
    EXPECT_EQ(live[0].name, sim.device.mid(5));
    EXPECT_EQ(live[0].ownerPid, sim.process.processId());
    {
        CToolEnd tool(sim.device, 4800);
        EXPECT_FALSE(tool.WaitFor("ORV", kQuietMs)) << "it announces itself at 9600 only";
    }
    QThread::msleep(100);
    {
        CToolEnd tool(sim.device, 9600);
        ASSERT_TRUE(tool.WaitFor(report, kDeadlineMs)) << tool.received;
        EXPECT_EQ(tool.received, report);
    }
    // The power-on detection re-opens the port soon after: that is no new power-on.
    QThread::msleep(300);
    CToolEnd tool(sim.device, 9600);
    EXPECT_FALSE(tool.WaitFor("ORV", kQuietMs)) << tool.received;
    tool.Write("+++");
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;

    tool.received.clear();
    tool.SetBaud(4800);
    tool.Write("ATS105?\r");
    EXPECT_FALSE(tool.WaitFor("OK", kQuietMs)) << "bytes at another rate are line noise";
    tool.SetBaud(9600);
    tool.Write("ATS105?\r");
    EXPECT_TRUE(tool.WaitFor("ATS105?\r\n12\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;

    // Enter on standard input switches the radio off and on.
    tool.received.clear();
    sim.process.write("\n");
    ASSERT_TRUE(sim.process.waitForBytesWritten(kDeadlineMs));
    EXPECT_TRUE(tool.WaitFor(report, kDeadlineMs)) << tool.received;

    sim.process.terminate();
    ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process.exitCode(), 0);
    EXPECT_TRUE(QDir(PublishedPorts::Directory()).entryList(QDir::Files).isEmpty())
        << "the entry is withdrawn";
}

TEST_F(SimProgram, QxAnswersPacedAtItsOwnCustomRateOrHeldInConfigAtNineThousandSixHundred) {
    CSimProcess sim(ORVCONF_SIM_PROGRAM,
                    {"--family", "qx", "--rate", "14400", "--announce-delay", "300"});
    ASSERT_TRUE(Listed(sim.device)) << sim.device.toStdString();
    // As the soft diagnosis does: open at each rate and send "+++" at once. The module is on,
    // so a tool that writes at 9600 at once gets no start answer either.
    for (int baud : {4800, 9600, 14400}) {
        QThread::msleep(100); // the simulator sees the last opening end before the next
        CToolEnd tool(sim.device, baud);
        tool.Write("+++");
        const bool own = baud == 14400; // a rate with a custom divisor
        EXPECT_EQ(tool.WaitFor(kStartAnswer, own ? kDeadlineMs : kQuietMs), own)
            << baud << " baud: " << tool.received;
        if (own) {
            tool.Write("ATS102?\r");
            EXPECT_TRUE(tool.WaitFor("ATS102?\r\n6\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
            // Paced at the line rate: ten bits a byte, so the listing cannot come faster.
            tool.received.clear();
            QElapsedTimer clock;
            clock.start();
            tool.Write("ATP0?\r");
            ASSERT_TRUE(tool.WaitFor("\r\nOK\r\n", kDeadlineMs));
            const auto lineMs = static_cast<qint64>(tool.received.size()) * 10 * 1000 / 14400;
            EXPECT_GE(clock.elapsed(), lineMs * 9 / 10) << tool.received.size() << " bytes";
        }
    }
    // Opened at 9600 without writing: the power-on with CONFIG held, talking at 9600.
    QThread::msleep(100);
    CToolEnd tool(sim.device, 9600);
    ASSERT_TRUE(tool.WaitFor(kStartAnswer, kDeadlineMs)) << tool.received;
    tool.Write("ATS186?\r");
    EXPECT_TRUE(tool.WaitFor("ATS186?\r\n0\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
    sim.process.kill();
    ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    EXPECT_FALSE(Listed(sim.device)) << "a dead simulator's entry is not offered";
}

TEST_F(SimProgram, SavedSettingsAreKeptInTheStateFileAndABadFileIsLeftAlone) {
    const QString stateFile = m_runtime.filePath(QStringLiteral("radio.json"));
    const QStringList arguments = {"--family", "orv",     "--no-pace", "--announce-delay",
                                   kNever,     "--state", stateFile};
    {
        CSimProcess sim(ORVCONF_SIM_PROGRAM, arguments);
        CToolEnd tool(sim.device, 9600);
        tool.Write("+++ats105=77\r");
        ASSERT_TRUE(tool.WaitFor("ats105=77\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
        tool.Write("at&w\r");
        ASSERT_TRUE(tool.WaitFor("at&w\r\n\r\nOK\r\n", kDeadlineMs)) << tool.received;
        sim.process.terminate();
        ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    }
    {
        CSimProcess again(ORVCONF_SIM_PROGRAM, arguments);
        CToolEnd tool(again.device, 9600);
        tool.Write("+++ATS105?\r");
        EXPECT_TRUE(tool.WaitFor("ATS105?\r\n77\r\n", kDeadlineMs)) << tool.received;
    }

    const QByteArray broken = R"({"family": "orv", "registers": {"S102": 8}})";
    QFile file(stateFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(broken);
    file.close();
    QProcess process;
    process.start(QStringLiteral(ORVCONF_SIM_PROGRAM), arguments);
    ASSERT_TRUE(process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("S102"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), broken);
}

// A pseudo-terminal carries no rate with its bytes: the radio takes them at the rate the line is
// at when it reads them, bytes written just before the tool closed the port included.
TEST_F(SimProgram, TakesBytesWrittenBeforeACloseAtTheRateTheLineIsLeftAt) {
    const QString log = m_runtime.filePath(QStringLiteral("sim.log"));
    CSimProcess sim(ORVCONF_SIM_PROGRAM,
                    {"--family", "orv", "--no-pace", "--announce-delay", kNever, "--log", log});
    ASSERT_TRUE(sim.device.startsWith(QLatin1String("/dev/"))) << sim.device.toStdString();
    WriteAndClose(sim.device, "+++", B38400);
    EXPECT_TRUE(Logged(log, "drop", 38400, "|+++|")) << "taken after the rate went back";
    QThread::msleep(100);
    WriteAndClose(sim.device, "ATI\r", B9600);
    EXPECT_TRUE(Logged(log, "in", 9600, "|ATI.|")) << "taken at the radio's rate after the close";
}
