// CCommPort against real pseudo-terminals (the test plays the radio on the master side), and
// the traffic log's lines.
#include "serial/CommPort.h"
#include "base/Prompts.h"
#include "base/Timing.h"
#include "serial/TrafficLog.h"
#include "tests/support/PtyPair.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 20000;

// The test is the port's owner and shows the boxes, recording both.
class CommPortTest : public ::testing::Test, public IPortOwner, public IPrompts {
protected:
    void SetUp() override {
        ASSERT_TRUE(radio.Ok());
        Prompts::Install(this);
    }
    void TearDown() override {
        port.Close();
        Prompts::Install(nullptr);
        Timing::SetScale(1.0);
    }
    void OnPortRxChar(unsigned char byte, const QString&) override {
        maxDepth = std::max(maxDepth, ++depth);
        offThread = offThread || QThread::currentThread() != qApp->thread();
        received.push_back(static_cast<char>(byte));
        if (onByte) {
            onByte(byte);
        }
        --depth;
    }
    void OnPortLost(const QString&, const QString&) override {}
    void ShowMessage(const std::string& caption, const std::string& text, PromptIcon) override {
        shown.push_back(caption + " | " + text);
    }
    bool OpenAndMonitor(int baud = 9600) {
        return port.Open(this, radio.SlaveName(), baud) && port.StartMonitor();
    }
    // The radio sends bytes; true once count more bytes (all of them by default) were handled.
    bool Receive(const std::string& bytes, std::size_t count = std::string::npos) {
        const std::size_t expected =
            received.size() + (count == std::string::npos ? bytes.size() : count);
        radio.Write(bytes);
        return PtyPair::PumpUntil([&] { return received.size() >= expected; }, kWaitMs);
    }

    PtyPair radio;
    CCommPort port;
    std::string received;
    std::function<void(unsigned char)> onByte;
    int depth = 0;
    int maxDepth = 0;
    bool offThread = false;
    std::vector<std::string> shown;
};

TEST_F(CommPortTest, DeliversEachByteAloneInOrderWithoutNulsOnTheOwnersThread) {
    ASSERT_TRUE(OpenAndMonitor(230400));
    // Bytes arriving while a handler runs an event loop (as a modal box does) wait for it.
    onByte = [&](unsigned char byte) {
        if (byte == 'a') {
            radio.Write(std::string("b\0c\0\0d\0", 7)); // NULs are never delivered
            QTest::qWait(100);
        }
    };
    ASSERT_TRUE(Receive("a", 4));
    onByte = nullptr;
    std::string burst;
    for (std::size_t i = 0; i < 100 * 1024; ++i) {
        burst += static_cast<char>(1 + (i * 7 + i / 255) % 255); // never 0x00
    }
    ASSERT_TRUE(Receive(burst));
    QTest::qWait(50);
    EXPECT_TRUE(received == "abcd" + burst) << "lost, duplicated, reordered or NUL bytes";
    EXPECT_EQ(maxDepth, 1);
    EXPECT_FALSE(offThread);
}

TEST_F(CommPortTest, WriteDiscardsInputNotYetDeliveredAndDoesNotWaitForAHold) {
    ASSERT_TRUE(OpenAndMonitor());
    // Held bytes are undelivered input too; a Send outside a handler goes out during the hold.
    port.Hold(60000);
    radio.Write("junk");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return port.BytesWaiting() == 4; }, kWaitMs));
    port.Send("AT\r");
    EXPECT_EQ(port.BytesWaiting(), 0);
    EXPECT_TRUE(radio.WaitFor("AT\r", kWaitMs));
    EXPECT_TRUE(port.IsHeld());
    // What is held back when the port is opened again (no Close between) is never delivered.
    radio.Write("stale");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return port.BytesWaiting() == 5; }, kWaitMs));
    ASSERT_TRUE(port.Open(this, radio.SlavePath(), 19200) && port.StartMonitor());
    EXPECT_FALSE(port.IsHeld());
    ASSERT_TRUE(Receive("OK"));
    QTest::qWait(50);
    EXPECT_EQ(received, "OK");
}

TEST_F(CommPortTest, HoldInAHandlerStopsDeliveryAndDelaysThatHandlersWrite) {
    ASSERT_TRUE(OpenAndMonitor());
    Timing::SetScale(0.1);
    port.Hold(10000); // gather the whole reply first, so that it is delivered in one run
    radio.Write("abcdef");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return port.BytesWaiting() == 6; }, kWaitMs));
    bool deliveredWhileHeld = false;
    onByte = [&](unsigned char byte) {
        deliveredWhileHeld = deliveredWhileHeld || port.IsHeld();
        if (byte == 'b') {
            port.Hold(5000);
            port.Send("ATS128?\r");
        }
    };
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return received.size() >= 2; }, kWaitMs));
    EXPECT_EQ(received, "ab");
    EXPECT_EQ(port.BytesWaiting(), 4);
    ASSERT_TRUE(radio.WaitFor("ATS128?\r", kWaitMs));
    EXPECT_EQ(received, "abcdef");
    EXPECT_FALSE(deliveredWhileHeld);
}

// Two writes of the radio arrive while the rest of a batch is held back: a handler asked for a
// hold and then waits, as a modal box does, until both have been read. Afterwards every byte is
// handled once, in the order it arrived.
TEST_F(CommPortTest, TwoBatchesArrivingDuringAHoldLoseAndReorderNothing) {
    ASSERT_TRUE(OpenAndMonitor());
    CTrafficLog log;
    port.SetTrafficLog(&log);
    // Bytes read from the line so far, as the log has them (whatever became of them since).
    const auto read = [&] {
        qsizetype bytes = 0;
        for (const QByteArray& line : log.Text().split('\n')) {
            if (const qsizetype at = line.indexOf(" ms  RX  "); at >= 0) {
                bytes += line.mid(at + 9).split(' ').value(0).toLongLong();
            }
        }
        return bytes;
    };
    Timing::SetScale(0.01);
    bool waited = false;
    onByte = [&](unsigned char byte) {
        if (byte != 'a') {
            return;
        }
        port.Hold(30000);
        radio.Write("defg");
        waited = PtyPair::PumpUntil([&] { return read() == 7; }, kWaitMs);
        radio.Write("hij");
        waited = waited && PtyPair::PumpUntil([&] { return read() == 10; }, kWaitMs);
    };
    radio.Write("abc");
    // Done once the hold is over and nothing waits any more.
    ASSERT_TRUE(PtyPair::PumpUntil(
        [&] { return waited && !port.IsHeld() && port.BytesWaiting() == 0; }, kWaitMs))
        << log.Text().toStdString();
    EXPECT_EQ(received, "abcdefghij");
    port.SetTrafficLog(nullptr);
}

// Texts handed to the monitor one after the other, most of them while it is still busy with
// the one before: each write goes out whole, a later text replaces one not yet written but never
// the other way round, and the last one goes out. (Under ThreadSanitizer this is the hand-over
// of the send buffer to a thread that is awake, which no wake-up of its event loop orders.)
TEST_F(CommPortTest, TextsSentInARowGoOutWholeAndInOrder) {
    ASSERT_TRUE(OpenAndMonitor(230400));
    constexpr int kTexts = 2000;
    std::string wire;
    for (int i = 0; i < kTexts; ++i) {
        port.Send("AT" + std::to_string(i) + "\r");
        if (i % 50 == 0) {
            wire += radio.Read();
        }
    }
    const std::string last = "AT" + std::to_string(kTexts - 1) + "\r";
    std::string rest;
    ASSERT_TRUE(radio.WaitFor(last, kWaitMs, &rest)) << wire + rest;
    wire += rest;
    int previous = -1;
    std::size_t start = 0;
    for (std::size_t end = wire.find('\r'); end != std::string::npos;
         start = end + 1, end = wire.find('\r', start)) {
        const std::string text = wire.substr(start, end - start);
        ASSERT_TRUE(text.size() > 2 && text.starts_with("AT")) << "torn: " << text;
        const int n = std::stoi(text.substr(2));
        EXPECT_GT(n, previous) << text;
        previous = n;
    }
    EXPECT_EQ(previous, kTexts - 1);
}

// Leaving command mode and closing at once: a text still waiting (for its handler to return, or
// for the monitor to start) goes out before the device closes, and the port opens again.
TEST_F(CommPortTest, CloseWritesTheTextStillWaitingFirst) {
    ASSERT_TRUE(OpenAndMonitor());
    onByte = [this](unsigned char) {
        port.Send("ata\r");
        port.Close();
    };
    ASSERT_TRUE(Receive("x"));
    onByte = nullptr;
    EXPECT_TRUE(radio.WaitFor("ata\r", kWaitMs));
    EXPECT_FALSE(port.IsOpen());

    ASSERT_TRUE(port.Open(this, radio.SlaveName(), 9600));
    port.Send("at&w\r");
    port.Close();
    EXPECT_TRUE(radio.WaitFor("at&w\r", kWaitMs));
    ASSERT_TRUE(OpenAndMonitor());
    ASSERT_TRUE(Receive("ok"));
}

TEST_F(CommPortTest, OpensNeitherAMissingDeviceNorOneInUseAndTellsInvalidSettingsInABox) {
    EXPECT_FALSE(port.Open(this, QStringLiteral("pts/999999"), 9600));
    EXPECT_FALSE(port.IsOpen() || port.StartMonitor());
    ASSERT_TRUE(OpenAndMonitor());
    CCommPort other;
    EXPECT_FALSE(other.Open(this, radio.SlaveName(), 9600));
    // Settings the line cannot take: told in a box, and the port still opens.
    ASSERT_TRUE(port.Open(this, radio.SlaveName(), 9600, 'X'));
    EXPECT_EQ(shown,
              std::vector<std::string>{
                  "Application Error | WARNING:  BuildCommDCB() Failed with the following error: \n"
                  "The line settings are not valid: baud=9600 parity=X data=8 stop=1\nPort: " +
                  radio.SlaveName().toStdString() + "\n"});
    ASSERT_TRUE(port.StartMonitor());
    ASSERT_TRUE(Receive("ok"));
}

// The traffic log that a port records into: what a port records is checked end to end,
// through the command-line tool's trace.
TEST(TrafficLog, ABurstIsOneLineAndMemoryKeepsTheNewestWholeLinesWithinItsBound) {
    CTrafficLog log(1000);
    log.Bytes(CTrafficLog::Direction::Received, QByteArray("\r\nOK\xff", 5), "discarded");
    log.Bytes(CTrafficLog::Direction::Received, QByteArray()); // nothing: no line
    EXPECT_TRUE(log.Text().endsWith(" ms  RX  5 bytes (discarded): 0D 0A 4F 4B FF  |..OK.|\n"));
    EXPECT_EQ(log.Text().count('\n'), 1);
    for (int i = 0; i < 200; ++i) {
        log.Event(QStringLiteral("event %1").arg(i));
    }
    const QByteArray text = log.Text();
    EXPECT_LE(text.size(), 1000);
    EXPECT_GT(text.size(), 900); // only whole lines beyond the bound went
    EXPECT_TRUE(text.endsWith("--  event 199\n"));
    for (const QByteArray& entry : text.chopped(1).split('\n')) {
        EXPECT_TRUE(entry.contains(" ms  --  event ")) << "a line cut: " << entry.toStdString();
    }
}

} // namespace
