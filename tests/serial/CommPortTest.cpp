// CCommPort against real pseudo-terminals: the test plays the radio on the master side.
#include "CommPort.h"
#include "Prompts.h"
#include "PtyRadio.h"
#include "Timing.h"

#include <QDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct ShownMessage {
    std::string caption;
    std::string text;
    PromptIcon icon;
    bool onMainThread;
};

class RecordingPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text,
                     PromptIcon icon) override {
        shown.push_back({caption, text, icon, QThread::currentThread() == qApp->thread()});
    }
    std::vector<ShownMessage> shown;
};

class RecordingOwner : public IPortOwner {
public:
    void OnPortRxChar(unsigned char byte, const QString& portName) override {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        offThread = offThread || QThread::currentThread() != qApp->thread();
        lastPortName = portName;
        received.push_back(static_cast<char>(byte));
        if (onByte) {
            onByte(byte);
        }
        --depth;
    }
    void OnPortLost(const QString& /*portName*/, const QString& reason) override {
        ++lostCount;
        lostReason = reason;
    }

    std::string received;
    std::function<void(unsigned char)> onByte;
    int depth = 0;
    int maxDepth = 0;
    bool offThread = false;
    QString lastPortName;
    int lostCount = 0;
    QString lostReason;
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(1 + (i * 7 + i / 255) % 255); // never 0x00
    }
    return bytes;
}

int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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
        return port.Open(&owner, radio.Name(), baud) && port.StartMonitor();
    }
    bool Receive(const std::string& bytes) {
        const std::size_t expected = owner.received.size() + bytes.size();
        return radio.Write(bytes) && WaitUntil([&] { return owner.received.size() >= expected; });
    }

    RecordingPrompts prompts;
    PtyRadio radio;
    RecordingOwner owner;
    CCommPort port;
};

TEST_F(CommPortTest, DeliversALargeBurstByteByByteInOrderOnTheOwnersThread) {
    ASSERT_TRUE(OpenAndMonitor(230400));
    const std::string burst = Pattern(100 * 1024);
    ASSERT_TRUE(Receive(burst));
    EXPECT_TRUE(owner.received == burst) << "lost, duplicated or reordered bytes";
    EXPECT_EQ(owner.maxDepth, 1);
    EXPECT_FALSE(owner.offThread);
    EXPECT_EQ(owner.lastPortName, radio.Name());
}

TEST_F(CommPortTest, NulBytesNeverReachTheOwner) {
    ASSERT_TRUE(OpenAndMonitor());
    ASSERT_TRUE(radio.Write(std::string("\0A\0B\0\0C", 7)));
    ASSERT_TRUE(WaitUntil([&] { return owner.received.size() >= 3; }));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "ABC");
}

TEST_F(CommPortTest, ByteArrivingWhileAHandlerRunsAnEventLoopWaitsForThatHandler) {
    ASSERT_TRUE(OpenAndMonitor());
    owner.onByte = [&](unsigned char byte) {
        if (byte == 'a') {
            radio.Write("bcd");
            QTest::qWait(100); // a modal box would run such a loop
        }
    };
    ASSERT_TRUE(Receive("a"));
    ASSERT_TRUE(WaitUntil([&] { return owner.received.size() >= 4; }));
    EXPECT_EQ(owner.received, "abcd");
    EXPECT_EQ(owner.maxDepth, 1);
}

TEST_F(CommPortTest, SecondSendBeforeTheWriteReplacesTheFirst) {
    ASSERT_TRUE(port.Open(&owner, radio.Name(), 9600));
    port.Send("one\r");
    port.Send("two\r"); // not monitoring yet: both wait for StartMonitor
    ASSERT_TRUE(port.StartMonitor());
    std::string seen;
    ASSERT_TRUE(radio.WaitForOutput("two\r", &seen));

    owner.onByte = [&](unsigned char) {
        port.Send("first\r");
        port.Send("second\r");
    };
    ASSERT_TRUE(Receive("x"));
    ASSERT_TRUE(radio.WaitForOutput("second\r", &seen));
    QTest::qWait(50);
    seen += radio.TakeOutput();
    EXPECT_EQ(seen, "two\rsecond\r");
}

TEST_F(CommPortTest, WriteDiscardsInputNotYetDelivered) {
    ASSERT_TRUE(OpenAndMonitor());
    // Held bytes are undelivered input too.
    port.Hold(60000);
    ASSERT_TRUE(radio.Write("junk"));
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 4; }));
    port.Send("AT\r");
    EXPECT_EQ(port.BytesWaiting(), 0);
    std::string seen;
    EXPECT_TRUE(radio.WaitForOutput("AT\r", &seen));
    port.Close();

    // Bytes already read and on their way to this thread when the write is made.
    ASSERT_TRUE(OpenAndMonitor());
    ASSERT_TRUE(radio.Write("stale"));
    QThread::msleep(100); // the monitor reads and posts; this thread does not take it yet
    port.Send("AT\r");
    seen.clear();
    ASSERT_TRUE(radio.WaitForOutput("AT\r", &seen));
    ASSERT_TRUE(Receive("OK"));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "OK");
}

TEST_F(CommPortTest, HoldInAHandlerStopsDeliveryAndDelaysThatHandlersWrite) {
    ASSERT_TRUE(OpenAndMonitor());
    Timing::SetScale(0.1);
    port.Hold(10000); // gather the whole reply first, so that it is delivered in one run
    ASSERT_TRUE(radio.Write("abcdef"));
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 6; }));

    std::string writtenTooEarly;
    bool deliveredWhileHeld = false;
    owner.onByte = [&](unsigned char byte) {
        deliveredWhileHeld = deliveredWhileHeld || port.IsHeld();
        writtenTooEarly += radio.TakeOutput();
        if (byte == 'b') {
            port.Hold(5000);
            port.Send("ATS128?\r");
        }
    };
    ASSERT_TRUE(WaitUntil([&] { return owner.received == "ab"; }));
    EXPECT_TRUE(port.IsHeld());
    EXPECT_EQ(port.BytesWaiting(), 4);

    std::string seen;
    ASSERT_TRUE(radio.WaitForOutput("ATS128?\r", &seen));
    EXPECT_EQ(owner.received, "abcdef");
    EXPECT_EQ(writtenTooEarly, "");
    EXPECT_FALSE(deliveredWhileHeld);
}

TEST_F(CommPortTest, SendOutsideAHandlerGoesOutAtOnceDuringAHold) {
    ASSERT_TRUE(OpenAndMonitor());
    port.Hold(60000);
    port.Send("+++");
    std::string seen;
    ASSERT_TRUE(radio.WaitForOutput("+++", &seen));
    EXPECT_TRUE(port.IsHeld());
}

TEST_F(CommPortTest, CloseLetsAPendingWriteOut) {
    ASSERT_TRUE(OpenAndMonitor());
    port.Send("ata\r");
    port.Close();
    std::string seen;
    EXPECT_TRUE(radio.WaitForOutput("ata\r", &seen));

    // Also a write that a handler left waiting behind its hold.
    ASSERT_TRUE(OpenAndMonitor());
    owner.onByte = [&](unsigned char) {
        port.Hold(60000);
        port.Send("ata\r");
    };
    ASSERT_TRUE(Receive("q"));
    port.Close();
    seen.clear();
    EXPECT_TRUE(radio.WaitForOutput("ata\r", &seen));
}

TEST_F(CommPortTest, NothingIsDeliveredAfterClose) {
    ASSERT_TRUE(OpenAndMonitor());
    port.Hold(60000);
    ASSERT_TRUE(radio.Write("late"));
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 4; }));
    port.Close();
    QTest::qWait(100);
    EXPECT_EQ(owner.received, "");
    EXPECT_EQ(port.BytesWaiting(), 0);
    EXPECT_EQ(owner.lostCount, 0);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(CommPortTest, AHandlerMayCloseOrDestroyThePort) {
    ASSERT_TRUE(OpenAndMonitor());
    owner.onByte = [&](unsigned char) { port.Close(); };
    ASSERT_TRUE(radio.Write("abc"));
    ASSERT_TRUE(WaitUntil([&] { return !owner.received.empty(); }));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "a");

    auto* doomed = new CCommPort;
    owner.received.clear();
    owner.onByte = [&](unsigned char) {
        delete doomed;
        doomed = nullptr;
    };
    ASSERT_TRUE(doomed->Open(&owner, radio.Name(), 9600) && doomed->StartMonitor());
    ASSERT_TRUE(radio.Write("xyz"));
    ASSERT_TRUE(WaitUntil([&] { return doomed == nullptr; }));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "x");
}

TEST_F(CommPortTest, OpenFailsForAMissingDeviceAndForOneInUse) {
    const int threadsBefore = ThreadCount();
    EXPECT_FALSE(port.Open(&owner, QStringLiteral("pts/999999"), 9600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.StartMonitor());
    EXPECT_EQ(ThreadCount(), threadsBefore);

    ASSERT_TRUE(OpenAndMonitor());
    RecordingOwner otherOwner;
    CCommPort other;
    const int threadsWithOne = ThreadCount();
    EXPECT_FALSE(other.Open(&otherOwner, radio.Name(), 9600));
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
    ASSERT_TRUE(radio.Write("stale"));
    ASSERT_TRUE(port.Open(&owner, radio.Name(), 19200)); // no Close in between
    ASSERT_TRUE(port.StartMonitor());
    EXPECT_EQ(port.Baud(), 19200);
    ASSERT_TRUE(radio.Write("two"));
    ASSERT_TRUE(WaitUntil([&] { return owner.received.size() >= 6; }));
    QTest::qWait(50);
    EXPECT_EQ(owner.received, "onetwo");

    port.Close();
    ASSERT_TRUE(OpenAndMonitor());
    ASSERT_TRUE(Receive("three"));
    EXPECT_EQ(owner.received, "onetwothree");
}

TEST_F(CommPortTest, VanishedDeviceIsReportedOnceAndNotPolledInALoop) {
    ASSERT_TRUE(OpenAndMonitor());
    const std::string stream = Pattern(20000);
    ASSERT_TRUE(radio.Write(stream.substr(0, 4000)));
    radio.Hangup(); // mid-stream, whatever was delivered so far
    ASSERT_TRUE(WaitUntil([&] { return owner.lostCount > 0; }));
    EXPECT_FALSE(owner.lostReason.isEmpty());
    EXPECT_FALSE(port.IsOpen());

    const double cpuBefore = CpuSeconds();
    QTest::qWait(500);
    const double cpuUsed = CpuSeconds() - cpuBefore;
    EXPECT_LT(cpuUsed, 0.3) << "the monitor keeps polling a device that is gone";
    EXPECT_EQ(owner.lostCount, 1);
    EXPECT_EQ(owner.received, stream.substr(0, owner.received.size()));

    port.Send("ignored");
    port.Close();
    EXPECT_EQ(owner.lostCount, 1);
}

TEST_F(CommPortTest, ConfigurationFailureShowsTheErrorBoxAndStillOpens) {
    ASSERT_TRUE(port.Open(&owner, radio.Name(), 9600, 'X'));
    ASSERT_EQ(prompts.shown.size(), 1u);
    const ShownMessage& box = prompts.shown.front();
    EXPECT_EQ(box.caption, "Application Error");
    EXPECT_EQ(box.icon, PromptIcon::Stop);
    EXPECT_TRUE(box.onMainThread);
    EXPECT_EQ(box.text, "WARNING:  BuildCommDCB() Failed with the following error: \n"
                        "The line settings are not valid: baud=9600 parity=X data=8 stop=1\n"
                        "Port: " +
                            radio.Name().toStdString() + "\n");
    ASSERT_TRUE(port.StartMonitor());
    ASSERT_TRUE(Receive("ok"));
}

TEST_F(CommPortTest, AcceptsEveryRateOfTheRadiosIncludingNonStandardOnes) {
    for (const int baud : {300, 1200, 2400, 3600, 4800, 7200, 9600, 14400, 19200, 28800, 38400,
                           57600, 115200, 230400}) {
        SCOPED_TRACE(baud);
        ASSERT_TRUE(port.Open(&owner, radio.Name(), baud));
        EXPECT_EQ(radio.SlaveBaud(), baud);
        port.Close();
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(CommPortPath, NamesBecomeDevicePaths) {
    EXPECT_EQ(CCommPort::DevicePath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(CCommPort::DevicePath(QStringLiteral("pts/4")), QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(CCommPort::DevicePath(QStringLiteral("/tmp/radio")), QStringLiteral("/tmp/radio"));
}

} // namespace
