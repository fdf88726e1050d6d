// Time of a complete write (ORV and QX) through orvconf-cli against orvconf-sim paced at the line
// rate, divided by the time the write's bytes need on the wire at that rate. Prints the figures;
// asserts nothing.
//
// The write alone (--no-verify): its duration is the one orvconf-cli reports (first command to
// the radio's confirmed save); its bytes are counted in the simulated radio's byte log from the
// write's first command ("ATP0=\r") up to the command that leaves command mode ("ata\r"). The
// write itself has no fixed holds, so the wire time is the whole of its floor. The simulated
// radio paces only what it sends, so two figures are printed: over the time of both directions
// (what a real line would take, the dialogue being strictly turn by turn) and over the time of
// the paced direction alone (the floor this simulated line has, so the figure that shows our
// overhead).
//
// The write with its verify (the read-back after the save): from the client's trace, the time
// from the write's first command to the last byte of the read-back, over the wire time of every
// byte in between plus the holds the client asked for in between (the read's fixed waits), and
// over the paced direction's wire time plus those holds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

constexpr int kTimeoutMs = 300000;
constexpr double kBitsPerByte = 10.0; // start bit, 8 data bits, stop bit

struct LogRecord {
    bool in = false; // toward the radio
    int baud = 0;
    QByteArray bytes;
};

// The in and out lines of the simulated radio's log, in order.
QList<LogRecord> ReadLog(const QString& path) {
    QList<LogRecord> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return records;
    }
    static const QRegularExpression line(
        QStringLiteral(R"(^\S+\s+\S+\s+(in|out)\s+(\d+)\s+((?:[0-9a-f]{2} )+)\s*\|)"));
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine());
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch()) {
            continue;
        }
        LogRecord record;
        record.in = m.captured(1) == QLatin1String("in");
        record.baud = m.captured(2).toInt();
        record.bytes = QByteArray::fromHex(m.captured(3).remove(' ').toLatin1());
        records.append(record);
    }
    return records;
}

struct WireCount {
    qint64 toRadio = 0;
    qint64 fromRadio = 0;
    int baud = 0;
};

// Bytes both ways from the write's first command to the command that ends it.
std::optional<WireCount> CountWriteBytes(const QList<LogRecord>& records) {
    QByteArray sent;
    QList<int> owner; // record of each sent byte
    for (int i = 0; i < records.size(); ++i) {
        if (records[i].in) {
            sent += records[i].bytes;
            for (qsizetype k = 0; k < records[i].bytes.size(); ++k) {
                owner.append(i);
            }
        }
    }
    const qsizetype start = sent.indexOf("ATP0=\r");
    const qsizetype end = start < 0 ? -1 : sent.indexOf("ata\r", start);
    if (start < 0 || end < 0) {
        return std::nullopt;
    }
    WireCount count;
    count.baud = records[owner[start]].baud;
    count.toRadio = end - start;
    for (int i = owner[start]; i < owner[end]; ++i) {
        if (!records[i].in) {
            count.fromRadio += records[i].bytes.size();
        }
    }
    return count;
}

// A window of the client's trace: the write's first command up to the command that leaves the
// radio's command mode.
struct TraceWindow {
    qint64 ms = 0;            // first command sent to the last byte received before "ata"
    qint64 bytes = 0;         // both directions
    qint64 receivedBytes = 0; // from the radio: the paced direction
    qint64 holdsMs = 0;
    int baud = 0;
};

std::optional<TraceWindow> ReadTrace(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return std::nullopt;
    }
    static const QRegularExpression bytes(
        QStringLiteral(R"(^\s*(\d+) ms  (TX|RX)  (\d+) bytes.*\|(.*)\|$)"));
    static const QRegularExpression hold(QStringLiteral(R"(^\s*\d+ ms  --  hold (\d+) ms)"));
    static const QRegularExpression open(QStringLiteral(R"(open \S+ at (\d+) baud)"));
    TraceWindow window;
    qint64 startMs = -1;
    qint64 lastRxMs = -1;
    int baud = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (const QRegularExpressionMatch m = open.match(line); m.hasMatch() && startMs < 0) {
            baud = m.captured(1).toInt();
        }
        if (const QRegularExpressionMatch m = hold.match(line); m.hasMatch() && startMs >= 0) {
            window.holdsMs += m.captured(1).toLongLong();
        }
        const QRegularExpressionMatch m = bytes.match(line);
        if (!m.hasMatch()) {
            continue;
        }
        const qint64 ms = m.captured(1).toLongLong();
        const bool sent = m.captured(2) == QLatin1String("TX");
        if (startMs < 0 && sent && m.captured(4).startsWith(QLatin1String("ATP0=."))) {
            startMs = ms;
            window.baud = baud;
        }
        if (startMs < 0) {
            continue;
        }
        if (sent && m.captured(4).startsWith(QLatin1String("ata."))) {
            window.ms = lastRxMs - startMs;
            return window.baud > 0 && lastRxMs >= startMs ? std::optional(window) : std::nullopt;
        }
        window.bytes += m.captured(3).toLongLong();
        if (!sent) {
            window.receivedBytes += m.captured(3).toLongLong();
            lastRxMs = ms;
        }
    }
    return std::nullopt;
}

struct Run {
    int status = -1;
    QByteArray err;
};

// Runs the client; when it asks for the radio to be switched on, presses Enter at the simulated
// radio (which then announces itself as soon as the client listens).
Run RunCli(const QStringList& args, QProcess& sim) {
    QProcess cli;
    cli.setReadChannel(QProcess::StandardError);
    cli.start(ORVCONF_CLI, args);
    Run run;
    bool switchedOn = false;
    QElapsedTimer clock;
    clock.start();
    while (cli.state() != QProcess::NotRunning && clock.elapsed() < kTimeoutMs) {
        if (!cli.waitForReadyRead(100)) {
            cli.waitForFinished(100);
        }
        run.err += cli.readAllStandardError();
        if (!switchedOn &&
            (run.err.contains("radio on now") || run.err.contains("power it on now"))) {
            sim.write("\n");
            sim.waitForBytesWritten(10000);
            switchedOn = true;
        }
    }
    if (cli.state() != QProcess::NotRunning) {
        cli.kill();
        cli.waitForFinished();
    }
    run.err += cli.readAllStandardError();
    run.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    return run;
}

// One family: read the radio, write what was read without and with the read-back, measure.
void Measure(const char* family, const QStringList& link, QTextStream& report) {
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    const QString settings = dir.filePath("settings.json");
    const QString trace = dir.filePath("verified.trace");
    QProcess sim;
    sim.start(ORVCONF_SIM, {"--family", family, "--manual-power", "--log", log});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        report << family << ": orvconf-sim did not start\n";
        return;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    const QStringList connect = QStringList{"--port", port, "--family", family} + link;
    const Run read = RunCli(QStringList{"read"} + connect + QStringList{"--output", settings}, sim);
    const Run write = RunCli(
        QStringList{"write", "--no-verify"} + connect + QStringList{"--settings", settings}, sim);
    const Run verified = RunCli(QStringList{"write"} + connect +
                                    QStringList{"--settings", settings, "--trace", trace},
                                sim);
    sim.kill();
    sim.waitForFinished();
    if (read.status != 0 || write.status != 0 || verified.status != 0) {
        report << family << ": read " << read.status << ", write " << write.status
               << ", verified write " << verified.status << "\n"
               << read.err << write.err << verified.err;
        return;
    }
    static const QRegularExpression took(QStringLiteral(R"(the write took (\d+) ms)"));
    const QRegularExpressionMatch m = took.match(QString::fromUtf8(write.err));
    // The first write in the log is the one without the read-back.
    const std::optional<WireCount> wire = CountWriteBytes(ReadLog(log));
    const std::optional<TraceWindow> window = ReadTrace(trace);
    if (!m.hasMatch() || !wire || wire->baud <= 0 || !window) {
        report << family << ": the write's time or bytes were not found\n";
        return;
    }
    const double writeMs = m.captured(1).toDouble();
    const double msPerByte = kBitsPerByte * 1000.0 / wire->baud;
    const double lineMs = static_cast<double>(wire->toRadio + wire->fromRadio) * msPerByte;
    const double pacedMs = static_cast<double>(wire->fromRadio) * msPerByte;
    report << QString("%1 write alone (--no-verify): %2 ms at %3 baud; %4 bytes to the radio, %5 "
                      "from it; no holds\n")
                  .arg(family)
                  .arg(writeMs, 0, 'f', 0)
                  .arg(wire->baud)
                  .arg(wire->toRadio)
                  .arg(wire->fromRadio);
    report << QString("  over both directions' wire time (%1 ms): %2\n"
                      "  over the paced direction's wire time (%3 ms): %4 (goal <= 1.05)\n")
                  .arg(lineMs, 0, 'f', 0)
                  .arg(writeMs / lineMs, 0, 'f', 3)
                  .arg(pacedMs, 0, 'f', 0)
                  .arg(writeMs / pacedMs, 0, 'f', 3);
    const double windowMsPerByte = kBitsPerByte * 1000.0 / window->baud;
    const double holdsMs = static_cast<double>(window->holdsMs);
    const double floorMs = static_cast<double>(window->bytes) * windowMsPerByte + holdsMs;
    const double pacedFloorMs =
        static_cast<double>(window->receivedBytes) * windowMsPerByte + holdsMs;
    const double verifiedMs = static_cast<double>(window->ms);
    report << QString("%1 write and verify: %2 ms; %3 bytes both ways, %4 of them from the "
                      "radio; holds %5 ms\n"
                      "  over both directions' wire time plus holds (%6 ms): %7\n"
                      "  over the paced direction's wire time plus holds (%8 ms): %9\n")
                  .arg(family)
                  .arg(window->ms)
                  .arg(window->bytes)
                  .arg(window->receivedBytes)
                  .arg(window->holdsMs)
                  .arg(floorMs, 0, 'f', 0)
                  .arg(verifiedMs / floorMs, 0, 'f', 3)
                  .arg(pacedFloorMs, 0, 'f', 0)
                  .arg(verifiedMs / pacedFloorMs, 0, 'f', 3);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream report(stdout);
    Measure("orv", {}, report);
    report.flush();
    Measure("qx", {"--link", "config-key"}, report);
    report.flush();
    return 0;
}
