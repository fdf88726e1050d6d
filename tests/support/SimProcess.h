#pragma once
// One orvconf-sim process on its own pseudo-terminal, ended with the test; device is the first
// line it prints ("/dev/pts/4"), Port() the name the tool lists ("pts/4").
//
// Started with --manual-power, the radio announces itself only when the test switches it on,
// which RunSwitchingOn does when the program under test asks for it: the program listens by
// then, and the simulated radio waits until it sees the program listen, however busy the
// machine is.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

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
    // Enter on its standard input switches the radio off and on: it announces itself at once if
    // the tool has the port open, else once the tool next opens it and listens.
    void PowerCycle() {
        process.write("\n");
        process.waitForBytesWritten(kDeadlineMs);
    }
    QString Port() const { return device.mid(5); }

    // A bound against a hang only: nothing waits for it to pass.
    static constexpr int kDeadlineMs = 15000;
    QProcess process;
    QString device;
};

struct ProgramRun {
    int status = -1; // -1: it did not end by itself
    QByteArray out;
    QByteArray err;
};

// What the command-line client prints once it listens for a radio being switched on (ORV) or
// powered with its CONFIG key held (QX).
inline bool AsksForPowerOn(const QByteArray& err) {
    return err.contains("Switch the ORV radio on now") ||
           err.contains("Hold the module's CONFIG key and power it on now");
}

// Waits for a started program to end. When sim is given and the program asks for the radio to
// be switched on, the radio is switched on, once. hangMs only ends a program that hangs.
inline ProgramRun RunSwitchingOn(QProcess& program, CSimProcess* sim, int hangMs) {
    ProgramRun run;
    bool switchedOn = false;
    QElapsedTimer clock;
    clock.start();
    program.setReadChannel(QProcess::StandardError);
    while (program.state() != QProcess::NotRunning && clock.elapsed() < hangMs) {
        if (!program.waitForReadyRead(100)) {
            program.waitForFinished(100);
        }
        run.err += program.readAllStandardError();
        if (sim != nullptr && !switchedOn && AsksForPowerOn(run.err)) {
            sim->PowerCycle();
            switchedOn = true;
        }
    }
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
        ADD_FAILURE() << program.program().toStdString() << " did not finish";
    }
    run.err += program.readAllStandardError();
    run.out = program.readAllStandardOutput();
    const bool ended =
        program.error() != QProcess::FailedToStart && program.exitStatus() == QProcess::NormalExit;
    run.status = ended ? program.exitCode() : -1;
    return run;
}
