// The connection procedures against a pseudo-terminal on which the test plays the radio.

#include "base/Timing.h"
#include "connect/ConfigKeyConnector.h"
#include "connect/PowerOnDetector.h"
#include "connect/RadioSession.h"
#include "connect/SoftDiagnosis.h"
#include "exchange/RateTables.h"
#include "tests/support/PtyPair.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

const std::string kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
constexpr int kWait = 10000; // generous: the machine may be busy

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

// A 19-character report: channel digits end two places before the first "U", the rate code
// starts three places after it.
std::string Report(const char* channel, const char* code) {
    return std::string("CH") + channel + "UHF" + code + " ORV-25W\r\n";
}

TEST_F(ConnectTest, OrvReportReopensAtReportedRateAndStartsTheRead) {
    session.SetFamily(FAMILY_ORV);
    ASSERT_TRUE(session.OpenPort(9600));
    CPowerOnDetector detector(session);
    QSignalSpy ticks(&detector, &CPowerOnDetector::tick);
    QSignalSpy reopened(&detector, &CPowerOnDetector::reopened);
    QSignalSpy started(&session, &CRadioSession::readStarted);
    detector.Start();

    ASSERT_EQ(Report("05", "09").size(), 19u);
    pty.Write(Report("05", "09"));
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return reopened.count() == 1; }, kWait));
    EXPECT_EQ(session.Settings().orvCurrentChannel, 5);
    EXPECT_EQ(session.Settings().orvPortRate, 9);
    EXPECT_EQ(pty.SlaveBaud(), 4800);
    EXPECT_TRUE(session.ReceivedText().empty());

    // Noise during the wait before "+++" is discarded by the write of "+++".
    pty.Write("garbage");
    ASSERT_TRUE(pty.WaitFor("+++", kWait));
    pty.Write(kStartAnswer);
    std::string seen;
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait, &seen));
    EXPECT_EQ(started.count(), 1);
    EXPECT_FALSE(detector.Counting());
    ASSERT_GE(ticks.count(), 1);
    EXPECT_EQ(ticks.first().at(0).toInt(), 30);
}

TEST_F(ConnectTest, OrvTextsOfOtherLengthsOrValuesTimeOutAndDetectAgainReusesThePort) {
    session.SetFamily(FAMILY_ORV);
    ASSERT_TRUE(session.OpenPort(9600));
    CPowerOnDetector detector(session);
    QSignalSpy ticks(&detector, &CPowerOnDetector::tick);
    QSignalSpy timedOut(&detector, &CPowerOnDetector::timedOut);
    QSignalSpy detected(&detector, &CPowerOnDetector::detected);
    detector.Start();
    // 18 characters: never a report.
    pty.Write(Report("03", "07").substr(1));
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 1; }, kWait));
    EXPECT_EQ(detected.count(), 0);
    EXPECT_EQ(ticks.count(), 31);
    EXPECT_EQ(ticks.first().at(0).toInt(), 30);
    EXPECT_EQ(ticks.last().at(0).toInt(), 0);
    EXPECT_TRUE(session.ReceivedText().empty());
    EXPECT_TRUE(session.PortOpen());

    // Channel 17 and code 8 (no rate) are not reports either; the values are stored anyway.
    detector.Redetect();
    pty.Write(Report("17", "07"));
    EXPECT_TRUE(
        PtyPair::PumpUntil([&] { return session.Settings().orvCurrentChannel == 17; }, kWait));
    EXPECT_EQ(detected.count(), 0);
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 2; }, kWait));
    detector.Redetect();
    pty.Write(Report("03", "08"));
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 3; }, kWait));
    EXPECT_EQ(detected.count(), 0);

    // Detect again starts from an empty buffer on the port that stayed open; channel 16 and
    // code 0 (230400) are the top values, behind a power-up glitch byte.
    detector.Redetect();
    pty.Write("\xff" + Report("16", "00"));
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return detected.count() == 1; }, kWait));
    EXPECT_EQ(session.Settings().orvCurrentChannel, 16);
    EXPECT_EQ(detected.first().at(2).toInt(), 230400);
}

TEST_F(ConnectTest, ConfigKeyCountsDownThenClosesThePort) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    CConfigKeyConnector connector(session);
    QSignalSpy ticks(&connector, &CConfigKeyConnector::tick);
    QSignalSpy timedOut(&connector, &CConfigKeyConnector::timedOut);
    connector.Start();
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return timedOut.count() == 1; }, kWait));
    QList<int> shown;
    for (const auto& args : ticks) {
        shown << args.at(0).toInt();
    }
    EXPECT_EQ(shown, (QList<int>{10, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_FALSE(session.PortOpen());
    EXPECT_EQ(pty.Read(), ""); // nothing is ever sent on this road
}

TEST_F(ConnectTest, ConfigKeyStartAnswerStartsTheQxRead) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    CConfigKeyConnector connector(session);
    QSignalSpy connected(&connector, &CConfigKeyConnector::connected);
    connector.Start();
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    EXPECT_EQ(connected.count(), 1);
    EXPECT_FALSE(connector.Counting());
}

TEST_F(ConnectTest, SoftDiagnosisTriesTheTableInOrderThenGivesUp) {
    session.SetFamily(FAMILY_QX);
    CSoftDiagnosis search(session);
    QSignalSpy attempts(&search, &CSoftDiagnosis::attempt);
    QSignalSpy exhausted(&search, &CSoftDiagnosis::exhausted);
    search.Start();
    std::string sent;
    ASSERT_TRUE(PtyPair::PumpUntil(
        [&] {
            sent += pty.Read();
            return exhausted.count() == 1;
        },
        30000));
    // The table written out here, so that a change to the product's copy shows.
    const QList<int> table = {4800,   4800,   9600,   9600,   19200, 19200, 38400, 38400,
                              115200, 115200, 230400, 230400, 300,   300,   600,   600,
                              1200,   1200,   2400,   2400,   3600,  3600,  7200,  7200,
                              14400,  14400,  28800,  28800,  57600};
    QList<int> tried;
    for (const QList<QVariant>& attempt : attempts) {
        tried << attempt.at(1).toInt();
        EXPECT_TRUE(attempt.at(2).toBool());
    }
    EXPECT_EQ(tried, table);
    EXPECT_NE(sent.find("+++"), std::string::npos);
    EXPECT_TRUE(session.PortOpen()); // closed only after the message
    search.Finish();
    EXPECT_FALSE(session.PortOpen());
}

TEST_F(ConnectTest, SoftDiagnosisFindsTheModuleAtItsOwnRate) {
    session.SetFamily(FAMILY_QX);
    CSoftDiagnosis search(session);
    QSignalSpy connected(&search, &CSoftDiagnosis::connected);
    QSignalSpy attempts(&search, &CSoftDiagnosis::attempt);
    search.Start();
    // The module answers "+++" only at 19200.
    std::string sent;
    ASSERT_TRUE(PtyPair::PumpUntil(
        [&] {
            const std::string in = pty.Read();
            sent += in;
            if (in.find("+++") != std::string::npos && pty.SlaveBaud() == 19200) {
                pty.Write(kStartAnswer);
            }
            return connected.count() == 1;
        },
        kWait));
    EXPECT_EQ(connected.first().at(0).toInt(), 19200);
    std::string more;
    pty.WaitFor("ATS128?\r", kWait, &more);
    EXPECT_NE((sent + more).find("ATS128?\r"), std::string::npos);
    PtyPair::Pump(200);
    EXPECT_FALSE(search.Searching());
    EXPECT_LE(attempts.count(), 6);
    EXPECT_EQ(pty.SlaveBaud(), 19200);
}

// Sends one byte as the radio and waits until the session has taken it.
void Dribble(PtyPair& pty, const CRadioSession& session, char byte) {
    const std::size_t before = session.ReceivedText().size();
    pty.Write(std::string(1, byte));
    PtyPair::PumpUntil([&] { return session.ReceivedText().size() != before; }, kWait);
}

// A port that cannot be opened at the first rate will not open at any other: the search stops
// there instead of going through every rate.
TEST_F(ConnectTest, SoftDiagnosisStopsAtAPortThatCannotBeOpened) {
    QTemporaryDir folder;
    QTemporaryFile file;
    ASSERT_TRUE(folder.isValid() && file.open());
    for (const QString& port : {QStringLiteral("ttyORVCONF_ABSENT"), folder.path(), file.fileName(),
                                QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(port.toStdString());
        session.SetPortName(port);
        CSoftDiagnosis search(session);
        QSignalSpy attempts(&search, &CSoftDiagnosis::attempt);
        QSignalSpy unavailable(&search, &CSoftDiagnosis::portUnavailable);
        QSignalSpy exhausted(&search, &CSoftDiagnosis::exhausted);
        search.Start();
        ASSERT_TRUE(PtyPair::PumpUntil([&] { return unavailable.count() == 1; }, kWait));
        EXPECT_FALSE(search.Searching());
        ASSERT_EQ(attempts.count(), 1);
        EXPECT_EQ(attempts[0].at(1).toInt(), RateTables::kSoftDiagRates[0]);
        EXPECT_FALSE(attempts[0].at(2).toBool());
        EXPECT_EQ(exhausted.count(), 0);
        EXPECT_FALSE(session.PortOpen());
    }
}

TEST_F(ConnectTest, ASlowRadioIsWaitedForAndSilenceEndsTheRead) {
    // 300 baud: a reply may take its time on the wire, far longer than the silence period.
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(300));
    QSignalSpy noAnswer(&session, &CRadioSession::noAnswer);
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    // Each byte comes as soon as the one before was taken, and the reply goes on (blanks
    // after its value) for two silence periods by the clock, however long that takes here.
    for (const char c : std::string("ATS128?\r\n0\r\n")) {
        Dribble(pty, session, c);
    }
    const int silenceMs = Timing::ScaledMs(CRadioExchange::kNoAnswerMs);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2 * silenceMs && noAnswer.count() == 0) {
        Dribble(pty, session, ' ');
    }
    EXPECT_EQ(noAnswer.count(), 0);
    // The end of the reply, then silence after the next command.
    pty.Write("\r\nOK\r\n");
    ASSERT_TRUE(pty.WaitFor("ATS186?\r", kWait));
    pty.Write("ATS186?\r\n0");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return noAnswer.count() == 1; }, kWait));
}

TEST_F(ConnectTest, ALineThatNeverStopsDeliveringEndsTheRead) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    QSignalSpy noAnswer(&session, &CRadioSession::noAnswer);
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    // Garbage, a byte at a time, well inside the silence period: only the bound on the whole
    // answer can end this.
    ASSERT_TRUE(PtyPair::PumpUntil(
        [&] {
            if (noAnswer.count() == 0) {
                Dribble(pty, session, '~');
            }
            return noAnswer.count() == 1;
        },
        kWait));
}

TEST_F(ConnectTest, PortVanishingDuringAReadIsReported) {
    session.SetFamily(FAMILY_QX);
    ASSERT_TRUE(session.OpenPort(9600));
    QSignalSpy lost(&session, &CRadioSession::portLost);
    pty.Write(kStartAnswer);
    ASSERT_TRUE(pty.WaitFor("ATS128?\r", kWait));
    pty.CloseMaster();
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return lost.count() == 1; }, kWait));
    EXPECT_FALSE(session.PortOpen());
}

} // namespace
