// One cell of the fault matrix per fault kind, end to end: the real orvconf-cli against
// orvconf-sim on a pseudo-terminal, the simulator spoiling one reply. The client must end with
// its status and a message, in bounded time; then the same command against a healthy simulated
// radio must succeed.

#include "tests/faults/FaultMatrix.h"
#include "tests/support/SimProcess.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace FaultMatrix;

namespace {

// Starts the simulator for the sequence with the fault, runs the client's command against it, and
// gives its exit status (-1: killed, it hung) and what it wrote on each stream.
std::tuple<int, QByteArray, QByteArray> RunCli(const Sequence& seq, const QStringList& fault,
                                               const QStringList& more = {}) {
    const QString family = seq.family == FAMILY_ORV ? "orv" : "qx";
    // Switched on when the client asks; the soft diagnosis looks for a module that is on.
    CSimProcess sim(ORVCONF_SIM,
                    QStringList{"--family", family, "--no-pace", "--manual-power"} + fault);
    QStringList args{seq.write ? "write" : "read", "--port", sim.Port(), "--family", family};
    if (seq.family == FAMILY_QX) {
        args << "--link" << (seq.road == Road::QxSoftDiagnosis ? "soft-diagnosis" : "config-key");
    }
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVCONF_TIME_SCALE", "0.05");
    cli.setProcessEnvironment(env);
    cli.start(ORVCONF_CLI, args + more);
    const ProgramRun run = RunSwitchingOn(cli, &sim, 60000);
    return {run.status, run.out, run.err};
}

TEST(FaultEndToEnd, OneCellPerFaultKind) {
    struct Case {
        const char* fault;
        const Sequence& seq;
        const char* step;
        int status;                 // the client's exit status with the fault
        const char* says = nullptr; // in its last line
    };
    const Case cases[] = {
        {"error", kSequences[3], "at&w", 5},
        {"silence", kSequences[1], "ATS131?", 4},
        {"noise", kSequences[0], "ATS105?", 0}, // the reply is recognised behind the noise
        {"cut", kSequences[4], "row 1 frequency 480000000", 4},
        {"overlong", kSequences[0], "ATP0?", 4},
        {"vanish", kSequences[2], "+++", 4},
        {"skip-prompt", kSequences[4], "row 1 channel 0", 4, "where the frequency was due"},
        {"change-digit", kSequences[3], "ats102=7", 4, "took ats102=6 where ats102=7 was sent"},
        {"silence", kSequences[3], "at&w", 4, "the settings may have been saved"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " at " + c.step + " of " + c.seq.name);
        const std::vector<Step> steps = Steps(c.seq);
        const auto step = std::find_if(steps.begin(), steps.end(),
                                       [&](const Step& s) { return s.name == c.step; });
        ASSERT_NE(step, steps.end());
        // A write needs a document: what a healthy read of the same radio gives.
        QStringList document;
        if (c.seq.write) {
            document = {"--settings", dir.filePath(QString(c.seq.name) + ".json")};
            const auto [status, out, err] =
                RunCli({c.seq.name, c.seq.family, c.seq.road, false}, {});
            ASSERT_EQ(status, 0) << err.toStdString();
            QFile file(document[1]);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(out) == out.size());
        }
        const QStringList fault{"--fault", c.fault, "--fault-at", QString::number(step->reply)};
        const auto [status, out, err] = RunCli(c.seq, fault, document);
        EXPECT_EQ(status, c.status) << err.toStdString();
        const QByteArray last = err.trimmed().split('\n').last().trimmed();
        EXPECT_FALSE(last.isEmpty()) << "no message";
        EXPECT_TRUE(c.says == nullptr || last.contains(c.says)) << last.toStdString();
        EXPECT_EQ(std::get<0>(RunCli(c.seq, {}, document)), 0) << "against a healthy radio";
    }
}

} // namespace
