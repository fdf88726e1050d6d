// Time of a complete write (ORV and QX) through orvconf-cli against orvconf-sim paced at the line
// rate, divided by the time the write's bytes need on the wire at that rate. The write itself has
// no fixed holds, so the wire time is the whole of the floor. Prints the figures; asserts nothing.
//
// The write's duration is the one orvconf-cli reports (first command to the radio's confirmed
// save); its bytes are counted in the simulated radio's byte log from the write's first command
// ("ATP0=\r") up to the command that leaves command mode ("ata\r"). The simulated radio paces
// only what it sends, so two figures are printed: over the time of both directions (what a real
// line would take, the dialogue being strictly turn by turn) and over the time of the paced
// direction alone (the floor this simulated line has, so the figure that shows our overhead).

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

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

struct Run {
    int status = -1;
    QByteArray err;
};

Run RunCli(const QStringList& args) {
    QProcess cli;
    cli.start(ORVCONF_CLI, args);
    Run run;
    if (!cli.waitForFinished(kTimeoutMs)) {
        cli.kill();
        cli.waitForFinished();
    }
    run.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.err = cli.readAllStandardError();
    return run;
}

// One family: read the radio, write what was read, measure. Returns the ratio, or a negative
// value when the run failed (the reason printed).
double Measure(const char* family, const QStringList& link, QTextStream& report) {
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    const QString settings = dir.filePath("settings.json");
    QProcess sim;
    sim.start(ORVCONF_SIM, {"--family", family, "--announce-delay", "300", "--log", log});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        report << family << ": orvconf-sim did not start\n";
        return -1;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    const QStringList connect = QStringList{"--port", port, "--family", family} + link;
    const Run read = RunCli(QStringList{"read"} + connect + QStringList{"--output", settings});
    // Off and on again, so that the radio announces itself to the write.
    sim.write("\n");
    sim.waitForBytesWritten(10000);
    QThread::msleep(300);
    const Run write = RunCli(QStringList{"write"} + connect + QStringList{"--settings", settings});
    sim.kill();
    sim.waitForFinished();
    if (read.status != 0 || write.status != 0) {
        report << family << ": read " << read.status << ", write " << write.status << "\n"
               << read.err << write.err;
        return -1;
    }
    static const QRegularExpression took(QStringLiteral(R"(the write took (\d+) ms)"));
    const QRegularExpressionMatch m = took.match(QString::fromUtf8(write.err));
    const std::optional<WireCount> wire = CountWriteBytes(ReadLog(log));
    if (!m.hasMatch() || !wire || wire->baud <= 0) {
        report << family << ": the write's time or bytes were not found\n";
        return -1;
    }
    const double writeMs = m.captured(1).toDouble();
    const double msPerByte = kBitsPerByte * 1000.0 / wire->baud;
    const double holdsMs = 0.0; // the write sequence holds nothing
    const double lineMs = static_cast<double>(wire->toRadio + wire->fromRadio) * msPerByte;
    const double pacedMs = static_cast<double>(wire->fromRadio) * msPerByte;
    const double ratio = writeMs / (pacedMs + holdsMs);
    report << QString("%1 write: %2 ms at %3 baud; %4 bytes to the radio, %5 from it; holds %6 "
                      "ms\n")
                  .arg(family)
                  .arg(writeMs, 0, 'f', 0)
                  .arg(wire->baud)
                  .arg(wire->toRadio)
                  .arg(wire->fromRadio)
                  .arg(holdsMs, 0, 'f', 0);
    report << QString("  over both directions' wire time (%1 ms): %2\n"
                      "  over the paced direction's wire time (%3 ms): %4 (goal <= 1.05)\n")
                  .arg(lineMs, 0, 'f', 0)
                  .arg(writeMs / (lineMs + holdsMs), 0, 'f', 3)
                  .arg(pacedMs, 0, 'f', 0)
                  .arg(ratio, 0, 'f', 3);
    return ratio;
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
