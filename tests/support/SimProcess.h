#pragma once
// One orvconf-sim process on its own pseudo-terminal, ended with the test; device is the first
// line it prints ("/dev/pts/4"), Port() the name the tool lists ("pts/4").

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

class CSimProcess {
public:
    CSimProcess(const QString& program, const QStringList& arguments) {
        process.start(program, arguments);
        QElapsedTimer clock;
        clock.start();
        while (process.waitForStarted(kDeadlineMs) && !process.canReadLine() &&
               clock.elapsed() < kDeadlineMs && process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
        }
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~CSimProcess() { Kill(); }
    void Kill() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kDeadlineMs);
        }
    }
    // Enter on its standard input switches the radio off and on.
    void PowerCycle() {
        process.write("\n");
        process.waitForBytesWritten(kDeadlineMs);
        QThread::msleep(300);
    }
    QString Port() const { return device.mid(5); }

    static constexpr int kDeadlineMs = 15000;
    QProcess process;
    QString device;
};
