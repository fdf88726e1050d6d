// The traffic log: its lines, its memory bound, and what a port records into it against a
// pseudo-terminal.
#include "serial/TrafficLog.h"

#include "serial/CommPort.h"
#include "tests/support/PtyPair.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

class QuietOwner : public IPortOwner {
public:
    void OnPortRxChar(unsigned char byte, const QString&) override {
        received.push_back(static_cast<char>(byte));
    }
    void OnPortLost(const QString&, const QString&) override {}
    std::string received;
};

TEST(TrafficLog, ABurstIsOneLineWithDirectionHexAndPrintableForms) {
    CTrafficLog log;
    log.Bytes(CTrafficLog::Direction::Sent, QByteArray("ATS128?\r"));
    log.Bytes(CTrafficLog::Direction::Received, QByteArray("\r\nOK\xff", 5), "discarded");
    log.Bytes(CTrafficLog::Direction::Received, QByteArray()); // nothing: no line
    const QList<QByteArray> lines = log.Text().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the end
    EXPECT_TRUE(lines[0].endsWith(" ms  TX  8 bytes: 41 54 53 31 32 38 3F 0D  |ATS128?.|"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" ms  RX  5 bytes (discarded): 0D 0A 4F 4B FF  |..OK.|"))
        << lines[1].toStdString();
}

TEST(TrafficLog, MemoryKeepsTheNewestLinesWithinItsBound) {
    CTrafficLog log(1000);
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
    EXPECT_FALSE(text.contains("event 100\n"));

    CTrafficLog tiny(10); // a line longer than the bound is still kept whole
    tiny.Event(QStringLiteral("a long line"));
    EXPECT_TRUE(tiny.Text().endsWith("a long line\n"));
}

TEST(TrafficLog, APortRecordsItsExchangeOpenHoldAndCloseAndTheFileGetsEveryLine) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    CTrafficLog log;
    QString error;
    ASSERT_TRUE(log.WriteTo(path, &error)) << error.toStdString();

    QuietOwner owner;
    CCommPort port;
    port.SetTrafficLog(&log);
    ASSERT_TRUE(port.Open(&owner, line.SlaveName(), 9600));
    ASSERT_TRUE(port.StartMonitor());
    port.Send("ATS128?\r");
    ASSERT_TRUE(line.WaitFor("ATS128?\r", 20000));
    line.Write("\r\nOK\r\n");
    ASSERT_TRUE(PtyPair::PumpUntil([&] { return owner.received.size() == 6; }, 20000));
    port.Hold(1000);
    ASSERT_TRUE(port.Open(&owner, line.SlaveName(), 57600)); // a change of rate
    port.Close();
    port.Close(); // a second close records nothing
    ASSERT_TRUE(log.Finish(&error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), log.Text());

    const QString text = QString::fromUtf8(log.Text());
    const QStringList expected{
        "--  open " + line.SlavePath() + " at 9600 baud, 8N1\n",
        " ms  TX  8 bytes: 41 54 53 31 32 38 3F 0D  |ATS128?.|\n",
        "--  hold ",
        "--  reopen " + line.SlavePath() + " at 57600 baud, 8N1\n",
        "--  close\n",
    };
    qsizetype at = 0;
    for (const QString& part : expected) {
        const qsizetype found = text.indexOf(part, at);
        EXPECT_GE(found, at) << part.toStdString() << " missing or out of order in\n"
                             << text.toStdString();
        at = std::max(at, found);
    }
    // Received bytes may come in more than one burst; together they are the answer.
    QString received;
    for (const QString& entry : text.split('\n')) {
        if (entry.contains(" ms  RX ")) {
            received += entry.section('|', 1, 1);
        }
    }
    EXPECT_EQ(received, "..OK..");
    EXPECT_EQ(text.count("--  close"), 1);
    EXPECT_TRUE(text.startsWith("        0 ms") || text.startsWith("        1 ms"))
        << "the clock starts at the open";

    // A new connection starts a new log in memory; the file goes on.
    const qsizetype firstConnection = log.Text().size();
    QuietOwner other;
    ASSERT_TRUE(port.Open(&other, line.SlaveName(), 9600));
    port.Close();
    EXPECT_EQ(QString::fromUtf8(log.Text()).count("--  open "), 1);
    EXPECT_FALSE(log.Text().contains("ATS128?"));
    ASSERT_TRUE(log.Finish(&error));
    EXPECT_EQ(QFile(path).size(), firstConnection + log.Text().size());
}

TEST(TrafficLog, AFileThatCannotBeCreatedIsNamed) {
    CTrafficLog log;
    QString error;
    EXPECT_FALSE(log.WriteTo("/nonexistent-dir/trace.txt", &error));
    EXPECT_TRUE(error.contains("/nonexistent-dir/trace.txt")) << error.toStdString();
}

} // namespace
