// One cell of the fault matrix per fault kind, end to end: the real orvconf-cli against
// orvconf-sim on a pseudo-terminal, the simulator spoiling one reply. The client must end with a
// non-zero status and a message, in bounded time; then the same command against a healthy
// simulated radio must succeed.

#include "tests/faults/FaultMatrix.h"
#include "tests/support/SimProcess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using namespace FaultMatrix;

namespace {

constexpr int kTimeoutMs = 120000;

struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0;
};

CliResult RunCli(const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVCONF_TIME_SCALE", "0.05");
    cli.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    cli.start(ORVCONF_CLI, args);
    CliResult result;
    if (!cli.waitForFinished(kTimeoutMs)) {
        cli.kill();
        cli.waitForFinished();
    }
    result.ms = clock.elapsed();
    result.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    result.out = cli.readAllStandardOutput();
    result.err = cli.readAllStandardError();
    return result;
}

QStringList SimArgs(const Sequence& seq, const QStringList& fault = {}) {
    return QStringList{"--family", seq.family == FAMILY_ORV ? "orv" : "qx", "--no-pace",
                       "--announce-delay", seq.road == Road::QxSoftDiagnosis ? "3600000" : "0"} +
           fault;
}

QStringList CliArgs(const Sequence& seq, const QString& port, const QString& document) {
    QStringList args{seq.write ? "write" : "read", "--port", port, "--family",
                     seq.family == FAMILY_ORV ? "orv" : "qx"};
    if (seq.family == FAMILY_QX) {
        args << "--link" << (seq.road == Road::QxSoftDiagnosis ? "soft-diagnosis" : "config-key");
    }
    if (seq.write) {
        args << "--settings" << document;
    }
    return args;
}

const Sequence& Named(const char* name) {
    return *std::find_if(std::begin(kSequences), std::end(kSequences),
                         [name](const Sequence& s) { return std::string(s.name) == name; });
}

int ReplyOf(const Sequence& seq, const std::string& step) {
    for (const Step& s : Steps(seq)) {
        if (s.name == step) {
            return s.reply;
        }
    }
    ADD_FAILURE() << "no step " << step << " in " << seq.name;
    return 0;
}

TEST(FaultEndToEnd, OneCellPerFaultKind) {
    struct Case {
        const char* fault;
        const char* sequence;
        const char* step;
        int status; // the client's exit status with the fault
    };
    const Case cases[] = {
        {"error", "orv_write", "at&w", 5},    {"silence", "qx_read_config_key", "ATS131?", 4},
        {"noise", "orv_read", "ATS105?", 4},  {"cut", "qx_write", "row 1 frequency 480000000", 4},
        {"overlong", "orv_read", "ATP0?", 4}, {"vanish", "qx_read_soft_diagnosis", "+++", 4},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " at " + c.step + " of " + c.sequence);
        const Sequence& seq = Named(c.sequence);
        // A write needs a document: what a healthy read of the same radio gives.
        const QString document = dir.filePath(QString(c.sequence) + ".json");
        if (seq.write) {
            Sequence read = seq;
            read.write = false;
            CSimProcess sim(ORVCONF_SIM, SimArgs(read));
            QFile file(document);
            const CliResult got = RunCli(CliArgs(read, sim.Port(), {}));
            ASSERT_EQ(got.status, 0) << got.err.toStdString();
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(got.out);
        }
        {
            const int reply = ReplyOf(seq, c.step);
            const QStringList fault{"--fault", c.fault, "--fault-at", QString::number(reply)};
            CSimProcess sim(ORVCONF_SIM, SimArgs(seq, fault));
            ASSERT_FALSE(sim.Port().isEmpty());
            const CliResult got = RunCli(CliArgs(seq, sim.Port(), document));
            EXPECT_EQ(got.status, c.status) << got.err.toStdString();
            const QByteArray last = got.err.trimmed().split('\n').last();
            EXPECT_FALSE(last.trimmed().isEmpty()) << "no message";
            EXPECT_LT(got.ms, kTimeoutMs / 2) << "the client took too long";
            std::printf("end to end, %-8s at %-26s (reply %d) of %-22s: status %d, %lld ms: %s\n",
                        c.fault, c.step, reply, c.sequence, got.status,
                        static_cast<long long>(got.ms), last.constData());
        }
        CSimProcess healthy(ORVCONF_SIM, SimArgs(seq));
        const CliResult again = RunCli(CliArgs(seq, healthy.Port(), document));
        EXPECT_EQ(again.status, 0) << again.err.toStdString();
    }
}

} // namespace
