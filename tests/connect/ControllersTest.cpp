// The connection procedures against a pseudo-terminal on which the test plays the radio, and
// the bound on one command's answer.

#include "base/Timing.h"
#include "connect/ConfigKeyConnector.h"
#include "connect/PowerOnDetector.h"
#include "connect/RadioSession.h"
#include "connect/SoftDiagnosis.h"
#include "exchange/AnswerBounds.h"
#include "exchange/RateTables.h"
#include "exchange/ReplyBuffer.h"
#include "tests/support/PtyPair.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>

#include <tuple>

namespace {

const std::string kStartAnswer = CRadioExchange::kStartAnswer;
constexpr int kWait = 10000; // generous: the machine may be busy

QList<int> Ints(const QSignalSpy& spy, int argument) {
    QList<int> values;
    for (const QList<QVariant>& args : spy) {
        values << args.at(argument).toInt();
    }
    return values;
}

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        Timing::SetScale(0.02);
        ASSERT_TRUE(pty.Ok());
        session.SetPortName(pty.SlaveName());
    }
    void TearDown() override {
        session.ClosePort();
        Timing::SetScale(1.0);
    }
    PtyPair pty;
    CRadioSession session;
};

TEST_F(ConnectTest, OrvPowerOnCountsDownThenReopensAtTheReportedRateAndStartsTheRead) {
    session.SetFamily(FAMILY_ORV);
    ASSERT_TRUE(session.OpenPort(9600));
    CPowerOnDetector detector(session);
    QSignalSpy ticks(&detector, &CPowerOnDetector::tick);
    QSignalSpy timedOut(&detector, &CPowerOnDetector::timedOut);
    QSignalSpy reopened(&detector, &CPowerOnDetector::reopened);
    detector.Start();
    // A report is 19 characters: 18 never are one.
    pty.Write(std::string("CH05UHF09 ORV-25W\r\n").substr(1));
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 1; }, kWait));
    EXPECT_EQ(ticks.count(), 31);
    EXPECT_EQ(ticks.first().at(0).toInt(), 30);
    EXPECT_EQ(ticks.last().at(0).toInt(), 0);

    // Detect again starts from an empty buffer on the port that stayed open; the report comes
    // behind a power-up glitch byte.
    detector.Redetect();
    pty.Write("\xff"
              "CH05UHF09 ORV-25W\r\n");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return reopened.count() == 1; }, kWait));
    EXPECT_EQ(session.Record().orvCurrentChannel, 5);
    EXPECT_EQ(session.Record().orvPortRate, 9);
    EXPECT_EQ(pty.SlaveBaud(), 4800);
    ASSERT_TRUE(pty.WaitFor("+++", kWait));
    pty.Write(kStartAnswer);
    EXPECT_TRUE(pty.WaitFor("ATS128?\r", kWait)); // the read has started
}

TEST_F(ConnectTest, ConfigKeyCountsDownAndClosesOrStartsTheQxReadOnTheStartAnswer) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    CConfigKeyConnector connector(session);
    QSignalSpy ticks(&connector, &CConfigKeyConnector::tick);
    QSignalSpy timedOut(&connector, &CConfigKeyConnector::timedOut);
    QSignalSpy connected(&connector, &CConfigKeyConnector::connected);
    connector.Start();
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 1; }, kWait));
    EXPECT_EQ(Ints(ticks, 0), (QList<int>{10, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_FALSE(session.PortOpen());
    EXPECT_EQ(pty.Read(), ""); // nothing is ever sent on this road

    ASSERT_TRUE(session.OpenPort(9600));
    connector.Start();
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    EXPECT_EQ(connected.count(), 1);
    EXPECT_FALSE(connector.Counting());
    // At the end of a read: "ata", left at the radio's rate although the port closes at once.
    session.LeaveCommandMode();
    EXPECT_FALSE(session.PortOpen());
    EXPECT_TRUE(pty.WaitFor("ata\r", kWait));
    EXPECT_EQ(pty.SlaveBaud(), 9600);
}

TEST_F(ConnectTest, SoftDiagnosisTriesTheTableInOrderThenGivesUpOrStopsAtAnUnopenablePort) {
    session.SetFamily(FAMILY_QX);
    CSoftDiagnosis search(session);
    QSignalSpy attempts(&search, &CSoftDiagnosis::attempt);
    QSignalSpy exhausted(&search, &CSoftDiagnosis::exhausted);
    QList<int> lineRates; // as the line was set for each attempt
    QObject::connect(&search, &CSoftDiagnosis::attempt, [&] { lineRates << pty.SlaveBaud(); });
    search.Start();
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return exhausted.count() == 1; }, 30000));
    // The table written out here, so that a change to the product's copy shows.
    const QList<int> table = {4800,   4800,   9600,   9600,   19200, 19200, 38400, 38400,
                              115200, 115200, 230400, 230400, 300,   300,   600,   600,
                              1200,   1200,   2400,   2400,   3600,  3600,  7200,  7200,
                              14400,  14400,  28800,  28800,  57600};
    EXPECT_EQ(Ints(attempts, 1), table);
    EXPECT_EQ(lineRates, table);
    EXPECT_TRUE(session.PortOpen()); // closed only after the message
    search.Finish();
    EXPECT_FALSE(session.PortOpen());

    // A port that cannot be opened at the first rate will not open at any other.
    QSignalSpy unavailable(&search, &CSoftDiagnosis::portUnavailable);
    session.SetPortName(QStringLiteral("ttyORVCONF_ABSENT"));
    attempts.clear();
    search.Start();
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return unavailable.count() == 1; }, kWait));
    EXPECT_EQ(attempts.count(), 1);
    EXPECT_FALSE(search.Searching());
}

// Garbage, a byte at a time well inside the silence period: only the bound on the whole answer
// can end this.
TEST_F(ConnectTest, ALineThatNeverStopsDeliveringEndsTheRead) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    QSignalSpy noAnswer(&session, &CRadioSession::noAnswer);
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    ASSERT_TRUE(PtyPair::PumpUntil(
        [&] {
            pty.Write("~");
            return noAnswer.count() == 1;
        },
        kWait));
}

// A program that stands still (a busy machine) past the watchdog's period while the radio's
// answer is already on the line has not met a silent radio.
TEST_F(ConnectTest, AStallOfTheProgramIsNotTakenForTheRadiosSilence) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    QSignalSpy noAnswer(&session, &CRadioSession::noAnswer);
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    // The whole program stands still, as under a load that leaves it no processor: stopped,
    // and woken by a helper three watchdog periods after it saw it stop.
    const int stallMs = Timing::ScaledMs(3 * CRadioExchange::kNoAnswerMs);
    const QString wake = QStringLiteral("for i in $(seq 2000); do grep -q '^State:.*T' "
                                        "/proc/%2/status && break; sleep 0.005; done; "
                                        "sleep %1; kill -CONT %2")
                             .arg(stallMs / 1000.0)
                             .arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), wake}));
    pty.Write("ATS128?\r\n1\r\n\r\nOK\r\n");
    ::raise(SIGSTOP);
    EXPECT_TRUE(pty.WaitFor("ATS186?\r", kWait));
    EXPECT_EQ(noAnswer.count(), 0);
}

// The overall bound on one command's answer: long enough for the longest healthy answer at any
// rate the radios use, and never scaled below the time the bytes take on the wire.
TEST(AnswerBounds, AHealthyAnswerAlwaysFitsInItsBound) {
    // The command, the hold after it, the longest answer the tool takes in.
    const std::tuple<const char*, int, int> cases[] = {
        {"ATP0?\r", CRadioExchange::kOrvListingHoldMs, ReplyBuffer::kCapacity},
        {"ATS105?\r", 0, 64},
        {"+++", 5000, 18},
        {"ats105=5\r", 0, 64},
    };
    for (const auto& [command, holdMs, bytes] : cases) {
        for (const int baud : RateTables::kSoftDiagRates) {
            SCOPED_TRACE(std::string(command) + " at " + std::to_string(baud));
            const double wireMs = bytes * 10.0 * 1000.0 / baud; // 8N1
            EXPECT_GE(AnswerBounds::AnswerBoundMs(command, baud, holdMs),
                      wireMs + holdMs + CRadioExchange::kNoAnswerMs);
            EXPECT_GE(AnswerBounds::AnswerBoundMs(command, baud, holdMs, 0.02), wireMs);
        }
    }
}

} // namespace
