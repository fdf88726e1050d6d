// orvconf-cli's commands run in-process with captured streams: usage and its messages, help,
// and output that cannot be written.

#include "cli/CliCommands.h"
#include "base/Version.h"
#include "cli/CheckedOutput.h"
#include "tests/support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Readable failures.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using Result = CliRunResult;

Result RunCli(const QStringList& args) {
    return RunCliInProcess(args);
}

// A device that takes the first `room` bytes and then fails, as a full disk does.
class CFullDevice : public QIODevice {
public:
    explicit CFullDevice(qint64 room) : m_room(room) {
        open(WriteOnly | Unbuffered);
        setErrorString("No space left on device");
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (m_room <= 0) {
            return -1;
        }
        const qint64 taken = std::min(size, m_room);
        m_room -= taken;
        return taken;
    }

private:
    qint64 m_room;
};

struct UsageCase {
    QStringList args;
    const char* message; // on standard error
};

TEST(CliCommands, BadUsageIsNamedAndExitsWith1) {
    const std::vector<UsageCase> cases = {
        {{}, "Usage:"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"ports", "extra"}, "ports takes no options"},
        {{"ports", "--port", "x"}, "orvconf-cli ports: unknown option --port"},
        {{"read", "--family", "orv"}, "orvconf-cli read: --port is required"},
        {{"read", "--port", "x"}, "--family is required"},
        {{"read", "--port", "x", "--family", "vhf"}, "--family must be orv or qx"},
        {{"read", "--port"}, "--port needs a port name"},
        {{"read", "--port=", "--family", "qx"}, "--port needs a port name"},
        {{"read", "--port", "x", "--family"}, "--family must be orv or qx"},
        {{"read", "--port", "x", "--family", "qx", "--link", "usb"},
         "--link must be config-key or soft-diagnosis"},
        {{"read", "--port", "x", "--family", "orv", "--link", "config-key"},
         "--link applies to --family qx only"},
        {{"read", "--port", "x", "--family", "qx", "--output"}, "--output needs a file name"},
        {{"read", "--port", "x", "--family", "qx", "--bogus"}, "unknown option --bogus"},
        {{"write", "--port", "x", "--family", "orv"}, "--settings is required"},
        {{"write", "--family", "orv", "--settings", "a.json"}, "--port is required"},
        {{"write", "--port", "x", "--family", "orv", "--settings", "a", "--output", "b"},
         "unknown option --output"},
        {{"write", "--port", "x", "--family", "orv", "--link", "config-key", "--settings", "a"},
         "--link applies to --family qx only"},
        {{"export", "--family", "orv", "--settings", "a.json"}, "--output is required"},
        {{"export", "--settings", "a", "--output", "b"}, "--family is required"},
        {{"import", "--family", "qx"}, "--table is required"},
        {{"import", "--table", "t", "stray"}, "unknown option stray"},
    };
    for (const UsageCase& c : cases) {
        const Result r = RunCli(c.args);
        const std::string args = c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, Cli::kUsage) << args;
        EXPECT_TRUE(r.err.contains(c.message)) << args << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args;
    }
}

TEST(CliCommands, EveryCommandAnswersHelp) {
    const std::vector<std::pair<QStringList, QStringList>> cases = {
        {{"--help"},
         {"orvconf-cli read --port NAME", "orvconf-cli export", "orvconf-cli diff A.json B.json",
          "7 written but not as asked", "8 the output"}},
        {{"help"}, {"orvconf-cli COMMAND --help"}},
        {{"ports", "--help"}, {"Usage: orvconf-cli ports"}},
        {{"read", "-h"}, {"Usage: orvconf-cli read --port NAME", "--link <config-key|"}},
        {{"write", "--help"},
         {"--settings <FILE>", "5 the radio answered ERROR", "--dry-run", "--no-verify",
          "7 written but not as asked"}},
        {{"history", "--help"}, {"Usage: orvconf-cli history"}},
        {{"diff", "--help"}, {"Usage: orvconf-cli diff A.json B.json", "1 they differ"}},
        {{"export", "--help"}, {"--output <TABLE>"}},
        {{"import", "--help"}, {"--table <TABLE>"}},
        // Help wins over anything else on the line, as before.
        {{"read", "--bogus", "--help"}, {"Usage: orvconf-cli read"}},
    };
    for (const auto& [args, texts] : cases) {
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, Cli::kReadComplete) << args.join(' ').toStdString();
        for (const QString& text : texts) {
            EXPECT_TRUE(r.out.contains(text)) << text.toStdString() << "\n" << r.out.toStdString();
        }
        EXPECT_TRUE(r.err.isEmpty());
    }
    EXPECT_EQ(RunCli({"--version"}).out, QString("orvconf-cli %1\n").arg(kOrvconfVersion));
}

TEST(CliCommands, APortThatCannotBeOpenedEndsAtOnceWith2) {
    const Result r =
        RunCli({"read", "--port", "/dev/does-not-exist", "--family", "qx", "--link", "config-key"});
    EXPECT_EQ(r.status, Cli::kPortUnavailable);
    EXPECT_TRUE(r.err.contains("Cannot open serial port /dev/does-not-exist"));
}

TEST(CliCommands, TheDoctorPrintsEveryCheckWithItsFix) {
    // A port that is not there: a problem, so 2, with the fix under it.
    Result r = RunCli({"doctor", "--port", "ttyORVCONF_ABSENT"});
    EXPECT_EQ(r.status, Cli::kPortUnavailable) << r.err.toStdString();
    for (const char* part :
         {"Port /dev/ttyORVCONF_ABSENT\n", "device: PROBLEM. The port /dev/ttyORVCONF_ABSENT does",
          "\n    Fix: Check that the adapter", "permission: skipped.", "held by: skipped.",
          "ModemManager: ", "brltty: "}) {
        EXPECT_TRUE(r.out.contains(part)) << part << "\n" << r.out.toStdString();
    }
    r = RunCli({"doctor", "--port", "/dev/null", "--language", "zh"});
    EXPECT_TRUE(r.out.contains("串口 /dev/null 存在。")) << r.out.toStdString();
    // Without a port only the system-wide checks run, and warnings alone do not fail.
    r = RunCli({"doctor"});
    EXPECT_EQ(r.status, Cli::kReadComplete);
    EXPECT_TRUE(r.out.contains("ModemManager") && !r.out.contains("permission"));
    EXPECT_EQ(RunCli({"doctor", "--language", "fr"}).status, Cli::kUsage);
}

TEST(CliCommands, StandardOutputThatFailsEndsWith7) {
    // Nothing written, or cut off part way: either way the text did not arrive.
    for (const qint64 room : {0, 10}) {
        for (const QStringList& args :
             {QStringList{"--help"}, QStringList{"read", "--help"}, QStringList{"--version"}}) {
            CFullDevice full(room);
            QTextStream out(&full);
            QString errText;
            QTextStream err(&errText);
            EXPECT_EQ(Cli::Run(args, out, err), Cli::kOutputFailed) << room;
            EXPECT_EQ(errText, "Cannot write to standard output: No space left on device\n");
        }
    }
}

struct RlimitGuard {
    rlimit saved{};
    explicit RlimitGuard(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the test
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~RlimitGuard() { setrlimit(RLIMIT_FSIZE, &saved); }
};

QByteArray Document() {
    return QByteArray(5400, 'x') + "\n";
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(CheckedOutput, AFileIsWrittenWholeOrLeftAsItWas) {
    QTemporaryDir dir;
    const QString existing = dir.filePath("existing.json");
    const QString fresh = dir.filePath("new.json");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old settings\n");
    }
    QString unused;
    QTextStream out(&unused);
    {
        // A file system with 4 KB left: nothing may be lost, nothing partial may remain.
        const RlimitGuard full(4096);
        for (const QString& path : {existing, fresh}) {
            const QString failure = Cli::WriteOutput(Document(), path, out);
            EXPECT_TRUE(failure.startsWith("Cannot write " + path + ": ")) << failure.toStdString();
            EXPECT_TRUE(failure.contains("File too large")) << failure.toStdString();
        }
    }
    EXPECT_EQ(Contents(existing), "old settings\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"existing.json"});

    for (const QString& path : {existing, fresh}) {
        EXPECT_EQ(Cli::WriteOutput(Document(), path, out), QString());
        EXPECT_EQ(Contents(path), Document());
    }
    EXPECT_TRUE(unused.isEmpty());
}

TEST(CheckedOutput, TargetsThatCannotTakeTheDocumentAreNamed) {
    QTemporaryDir dir;
    QString unused;
    QTextStream out(&unused);
    const std::vector<std::pair<QString, const char*>> cases = {
        {"/dev/full", "No space left on device"},
        {dir.path(), ""},
        {dir.filePath("no/such/folder/x.json"), ""},
    };
    for (const auto& [path, reason] : cases) {
        const QString failure = Cli::WriteOutput(Document(), path, out);
        EXPECT_TRUE(failure.startsWith("Cannot write " + path + ": ")) << failure.toStdString();
        EXPECT_TRUE(failure.contains(reason)) << failure.toStdString();
        EXPECT_GT(failure.size(), QString("Cannot write " + path + ": ").size());
    }
    // Written in place, not replaced by a regular file.
    struct stat st {};
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(Cli::WriteOutput("{}\n", "/dev/null", out), QString());
}

TEST(CheckedOutput, StandardOutputFailureNamesTheReason) {
    CFullDevice full(100);
    QTextStream out(&full);
    EXPECT_EQ(Cli::WriteOutput(Document(), QString(), out),
              "Cannot write to standard output: No space left on device");
    Cli::CUnusableDevice closed("Bad file descriptor");
    QTextStream closedOut(&closed);
    EXPECT_EQ(Cli::WriteOutput("{}\n", QString(), closedOut),
              "Cannot write to standard output: Bad file descriptor");
}

} // namespace
