// CCommPort against real pseudo-terminals: the test plays the radio on the master side.
#include "serial/CommPort.h"
#include "base/Prompts.h"
#include "base/Timing.h"
#include "tests/support/PtyPair.h"

#include <QDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 20000;

template <typename Pred> bool WaitUntil(Pred done) {
    return PtyPair::PumpUntil(done, kWaitMs);
}

// Records each box as its caption and text; notes whether every one was a stop box shown on the
// owner's thread.
class RecordingPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text,
                     PromptIcon icon) override {
        shown.push_back(caption + " | " + text);
        stopOnMainThread = stopOnMainThread && icon == PromptIcon::Stop &&
                           QThread::currentThread() == qApp->thread();
    }
    std::vector<std::string> shown;
    bool stopOnMainThread = true;
};

class RecordingOwner : public IPortOwner {
public:
    void OnPortRxChar(unsigned char byte, const QString& portName) override {
        maxDepth = std::max(maxDepth, ++depth);
        offThread = offThread || QThread::currentThread() != qApp->thread();
        lastPortName = portName;
        received.push_back(static_cast<char>(byte));
        if (onByte) {
            onByte(byte);
        }
        --depth;
    }
    void OnPortLost(const QString&, const QString&) override { ++lostCount; }

    std::string received;
    std::function<void(unsigned char)> onByte;
    int depth = 0;
    int maxDepth = 0;
    bool offThread = false;
    QString lastPortName;
    int lostCount = 0;
};

std::string Burst(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(1 + (i * 7 + i / 255) % 255); // never 0x00
    }
    return bytes;
}

// Whether this process has path open (a terminal whose other end closed included).
bool HoldsDevice(const std::string& path) {
    const QStringList fds = QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& fd : fds) {
        char target[256] = {};
        const std::string link = "/proc/self/fd/" + fd.toStdString();
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        const std::string held(target, static_cast<std::size_t>(n > 0 ? n : 0));
        if (held == path || held.rfind(path + " ", 0) == 0) { // "/dev/pts/4 (deleted)"
            return true;
        }
    }
    return false;
}

qsizetype ThreadCount() {
    return QDir(QStringLiteral("/proc/self/task"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
        .size();
}

class CommPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(radio.Ok());
        Timing::SetScale(1.0);
        Prompts::Install(&prompts);
    }
    void TearDown() override {
        port.Close();
        Prompts::Install(nullptr);
        Timing::SetScale(1.0);
    }
    bool OpenAndMonitor(int baud = 9600) {
        return port.Open(&owner, radio.SlaveName(), baud) && port.StartMonitor();
    }
    // The radio sends bytes; true once count more bytes (all of them by default) were handled.
    bool Receive(const std::string& bytes, std::size_t count = std::string::npos) {
        const std::size_t expected =
            owner.received.size() + (count == std::string::npos ? bytes.size() : count);
        radio.Write(bytes);
        return WaitUntil([&] { return owner.received.size() >= expected; });
    }

    RecordingPrompts prompts;
    PtyPair radio;
    RecordingOwner owner;
    CCommPort port;
};

TEST_F(CommPortTest, DeliversEachByteAloneInOrderWithoutNulsOnTheOwnersThread) {
    ASSERT_TRUE(OpenAndMonitor(230400));
    // Bytes arriving while a handler runs an event loop (as a modal box does) wait for it.
    owner.onByte = [&](unsigned char byte) {
        if (byte == 'a') {
            radio.Write(std::string("b\0c\0\0d\0", 7)); // NULs are never delivered
            QTest::qWait(100);
        }
    };
    ASSERT_TRUE(Receive("a", 4));
    owner.onByte = nullptr;

    const std::string burst = Burst(100 * 1024);
    ASSERT_TRUE(Receive(burst));
    QTest::qWait(50);
    EXPECT_TRUE(owner.received == "abcd" + burst) << "lost, duplicated, reordered or NUL bytes";
    EXPECT_EQ(owner.maxDepth, 1);
    EXPECT_FALSE(owner.offThread);
    EXPECT_EQ(owner.lastPortName, radio.SlaveName());
}

TEST_F(CommPortTest, SecondSendBeforeTheWriteReplacesTheFirst) {
    ASSERT_TRUE(port.Open(&owner, radio.SlaveName(), 9600));
    port.Send("one\r");
    port.Send("two\r"); // not monitoring yet: both wait for StartMonitor
    ASSERT_TRUE(port.StartMonitor());
    std::string seen;
    ASSERT_TRUE(radio.WaitFor("two\r", kWaitMs, &seen));
    EXPECT_EQ(seen, "two\r");

    owner.onByte = [&](unsigned char) {
        port.Send("first\r");
        port.Send("second\r");
    };
    ASSERT_TRUE(Receive("x"));
    ASSERT_TRUE(radio.WaitFor("second\r", kWaitMs, &seen));
    EXPECT_EQ(seen + radio.Read(50), "second\r");
}

TEST_F(CommPortTest, WriteDiscardsInputNotYetDeliveredAndDoesNotWaitForAHold) {
    ASSERT_TRUE(OpenAndMonitor());
    // Held bytes are undelivered input too; a Send outside a handler goes out during the hold.
    port.Hold(60000);
    radio.Write("junk");
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 4; }));
    port.Send("AT\r");
    EXPECT_EQ(port.BytesWaiting(), 0);
    EXPECT_TRUE(radio.WaitFor("AT\r", kWaitMs));
    EXPECT_TRUE(port.IsHeld());
    port.Close();

    // Bytes already read and on their way to this thread when the write is made.
    ASSERT_TRUE(OpenAndMonitor());
    radio.Write("stale");
    QThread::msleep(100); // the monitor reads and posts; this thread does not take it yet
    port.Send("AT\r");
    ASSERT_TRUE(radio.WaitFor("AT\r", kWaitMs));
    ASSERT_TRUE(Receive("OK"));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "OK");
}

TEST_F(CommPortTest, HoldInAHandlerStopsDeliveryAndDelaysThatHandlersWrite) {
    ASSERT_TRUE(OpenAndMonitor());
    Timing::SetScale(0.1);
    port.Hold(10000); // gather the whole reply first, so that it is delivered in one run
    radio.Write("abcdef");
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 6; }));

    bool deliveredWhileHeld = false;
    owner.onByte = [&](unsigned char byte) {
        deliveredWhileHeld = deliveredWhileHeld || port.IsHeld();
        if (byte == 'b') {
            port.Hold(5000);
            port.Send("ATS128?\r");
        }
    };
    ASSERT_TRUE(WaitUntil([&] { return owner.received.size() >= 2; }));
    EXPECT_EQ(owner.received, "ab");
    EXPECT_TRUE(port.IsHeld());
    EXPECT_EQ(port.BytesWaiting(), 4);

    ASSERT_TRUE(radio.WaitFor("ATS128?\r", kWaitMs));
    EXPECT_EQ(owner.received, "abcdef");
    EXPECT_FALSE(deliveredWhileHeld);
}

// The last write before a close leaves at the radio's rate: a radio that takes the bytes only
// after the port closed (as a pseudo-terminal's other end may) still finds the line at its rate.
TEST_F(CommPortTest, CloseLetsAPendingWriteOutAtTheRadiosRate) {
    ASSERT_NE(radio.SlaveBaud(), 9600) << "the line starts at another rate";
    ASSERT_TRUE(OpenAndMonitor(9600));
    port.Send("ata\r");
    port.Close();
    EXPECT_TRUE(radio.WaitFor("ata\r", kWaitMs));
    EXPECT_EQ(radio.SlaveBaud(), 9600);

    // Also a write that a handler left waiting behind its hold.
    ASSERT_TRUE(OpenAndMonitor());
    owner.onByte = [&](unsigned char) {
        port.Hold(60000);
        port.Send("ata\r");
    };
    ASSERT_TRUE(Receive("q"));
    port.Close();
    EXPECT_TRUE(radio.WaitFor("ata\r", kWaitMs));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(owner.lostCount, 0);
}

TEST_F(CommPortTest, AHandlerMayCloseOrDestroyThePort) {
    ASSERT_TRUE(OpenAndMonitor());
    owner.onByte = [&](unsigned char) { port.Close(); };
    ASSERT_TRUE(Receive("abc", 1));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "a");

    auto* doomed = new CCommPort;
    owner.received.clear();
    owner.onByte = [&](unsigned char) {
        delete doomed;
        doomed = nullptr;
    };
    ASSERT_TRUE(doomed->Open(&owner, radio.SlaveName(), 9600) && doomed->StartMonitor());
    ASSERT_TRUE(Receive("xyz", 1));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "x");
    EXPECT_EQ(doomed, nullptr);
}

TEST_F(CommPortTest, OpenFailsForAMissingDeviceAndForOneInUse) {
    const qsizetype threadsBefore = ThreadCount();
    EXPECT_FALSE(port.Open(&owner, QStringLiteral("pts/999999"), 9600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.StartMonitor());
    EXPECT_EQ(ThreadCount(), threadsBefore);

    ASSERT_TRUE(OpenAndMonitor());
    RecordingOwner otherOwner;
    CCommPort other;
    const qsizetype threadsWithOne = ThreadCount();
    EXPECT_FALSE(other.Open(&otherOwner, radio.SlaveName(), 9600));
    EXPECT_FALSE(other.IsOpen());
    // A thread that has been joined may linger in the kernel for a moment.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threadsWithOne; }));
    EXPECT_TRUE(prompts.shown.empty());
    ASSERT_TRUE(Receive("still mine"));
    EXPECT_EQ(owner.received, "still mine");
}

TEST_F(CommPortTest, OpenWhileMonitoringRestartsCleanly) {
    ASSERT_TRUE(OpenAndMonitor());
    ASSERT_TRUE(Receive("one"));
    // What is held back when the port is opened again is never delivered.
    port.Hold(60000);
    radio.Write("stale");
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 5; }));
    // No Close in between; a device path works as well as a name.
    ASSERT_TRUE(port.Open(&owner, radio.SlavePath(), 19200));
    ASSERT_TRUE(port.StartMonitor());
    EXPECT_FALSE(port.IsHeld());
    EXPECT_EQ(port.Baud(), 19200);
    ASSERT_TRUE(Receive("two"));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "onetwo");
}

TEST_F(CommPortTest, VanishedDeviceIsReportedOnceAndLetGo) {
    ASSERT_TRUE(OpenAndMonitor());
    const std::string device = radio.SlavePath().toStdString();
    const std::string stream = Burst(4000);
    radio.Write(stream);
    radio.CloseMaster(); // mid-stream, whatever was delivered so far
    ASSERT_TRUE(WaitUntil([&] { return owner.lostCount > 0; }));
    EXPECT_FALSE(port.IsOpen());

    // A hung-up terminal is readable forever: the monitor lets go of it rather than poll it.
    EXPECT_TRUE(WaitUntil([&] { return !HoldsDevice(device); }))
        << "the monitor keeps a device that is gone";
    QTest::qWait(100);
    EXPECT_EQ(owner.lostCount, 1);
    EXPECT_EQ(owner.received, stream.substr(0, owner.received.size()));
}

TEST_F(CommPortTest, SetsEveryRateOfTheRadiosAndShowsInvalidSettingsInAnErrorBox) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    for (const int baud : {300, 1200, 2400, 3600, 4800, 7200, 9600, 14400, 19200, 28800, 38400,
                           57600, 115200, 230400}) {
        SCOPED_TRACE(baud);
        EXPECT_TRUE(port.Open(&owner, line.SlavePath(), baud));
        EXPECT_EQ(line.SlaveBaud(), baud);
        port.Close();
    }
    EXPECT_TRUE(prompts.shown.empty());

    // Settings the line cannot take: told in a box, and the port still opens.
    ASSERT_TRUE(port.Open(&owner, radio.SlaveName(), 9600, 'X'));
    EXPECT_EQ(prompts.shown,
              std::vector<std::string>{
                  "Application Error | WARNING:  BuildCommDCB() Failed with the following error: \n"
                  "The line settings are not valid: baud=9600 parity=X data=8 stop=1\nPort: " +
                  radio.SlaveName().toStdString() + "\n"});
    EXPECT_TRUE(prompts.stopOnMainThread);
    ASSERT_TRUE(port.StartMonitor());
    ASSERT_TRUE(Receive("ok"));
}

} // namespace
