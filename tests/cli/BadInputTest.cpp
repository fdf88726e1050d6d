// orvconf-cli given bad input by its user: options without values, empty, garbage or out of
// range, and ports that are no serial port at all. Each ends at once with one line naming the
// problem and a non-zero status; nothing is written to standard output.

#include "cli/CliCommands.h"
#include "tests/support/BadPorts.h"
#include "tests/support/CliRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct BadCase {
    QStringList args;
    int status;
    QString line; // a text of the line on standard error that names the problem
};

// The line of standard error that holds text (the help text may follow a usage error).
QString LineWith(const QString& err, const QString& text) {
    for (const QString& line : err.split('\n')) {
        if (line.contains(text)) {
            return line;
        }
    }
    return {};
}

void Check(const std::vector<BadCase>& cases) {
    for (const BadCase& c : cases) {
        const std::string args = c.args.join(' ').toStdString();
        const CliRunResult r = RunCliInProcess(c.args);
        EXPECT_EQ(r.status, c.status) << args << "\n" << r.err.toStdString();
        EXPECT_FALSE(LineWith(r.err, c.line).isEmpty())
            << args << "\nwanted: " << c.line.toStdString() << "\ngot: " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args << "\n" << r.out.toStdString();
    }
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Put("garbage.json", "this is not JSON {");
        Put("empty.json", "");
        Put("array.json", "[1, 2, 3]");
        Put("garbage.tb", "\x01\x02 not a table");
        Put("regular-file", "just text\n");
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Put(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
};

TEST_F(BadInput, OptionValuesThatAreMissingEmptyOrGarbage) {
    const QString garbage = Path("garbage.json");
    Check({
        // read and write
        {{"read", "--port=", "--family", "orv"}, Cli::kUsage, "--port needs a port name"},
        {{"read", "--port", "x", "--family="}, Cli::kUsage, "--family must be orv or qx"},
        {{"read", "--port", "x", "--family", "ORV "}, Cli::kUsage, "--family must be orv or qx"},
        {{"read", "--port", "x", "--family", "qx", "--link="},
         Cli::kUsage,
         "--link must be config-key or soft-diagnosis"},
        {{"read", "--port", "x", "--family", "qx", "--link", "\xE2\x98\x83"},
         Cli::kUsage,
         "--link must be config-key or soft-diagnosis"},
        {{"read", "--port", "x", "--family", "qx", "--output="},
         Cli::kUsage,
         "--output needs a file name"},
        {{"read", "--port", "x", "--family", "qx", "--trace"}, Cli::kUsage, "--trace needs"},
        {{"read", "--port", "x", "--family", "qx", "--trace="}, Cli::kUsage, "--trace needs"},
        {{"read", "--port", "x", "--family", "qx", "--trace", dir.path()},
         Cli::kOutputFailed,
         dir.path()},
        {{"write", "--port", "x", "--family", "qx", "--settings"},
         Cli::kUsage,
         "--settings needs a file name"},
        {{"write", "--port", "x", "--family", "qx", "--settings="},
         Cli::kUsage,
         "--settings needs a file name"},
        {{"write", "--port", "x", "--family", "qx", "--settings", garbage},
         Cli::kInvalidDocument,
         garbage},
        {{"write", "--port", "x", "--family", "orv", "--settings", Path("empty.json")},
         Cli::kInvalidDocument,
         Path("empty.json")},
        {{"write", "--port", "x", "--family", "orv", "--settings", Path("array.json")},
         Cli::kInvalidDocument,
         Path("array.json")},
        {{"write", "--port", "x", "--family", "orv", "--settings", dir.path()},
         Cli::kInvalidDocument,
         dir.path()},
        {{"write", "--port", "x", "--family", "orv", "--settings", "/dev/null"},
         Cli::kInvalidDocument,
         "/dev/null"},
        {{"write", "--port", "x", "--family", "orv", "--settings", Path("absent.json")},
         Cli::kInvalidDocument,
         Path("absent.json")},
        // export and import
        {{"export", "--family=", "--settings", garbage, "--output", Path("t.tb")},
         Cli::kUsage,
         "--family must be orv or qx"},
        {{"export", "--family", "qx", "--settings=", "--output", Path("t.tb")},
         Cli::kUsage,
         "--settings needs a file name"},
        {{"export", "--family", "qx", "--settings", garbage, "--output="},
         Cli::kUsage,
         "--output needs a file name"},
        {{"export", "--family", "qx", "--settings", garbage, "--output", Path("t.tb")},
         Cli::kInvalidDocument,
         garbage},
        {{"import", "--family", "qx", "--table="}, Cli::kUsage, "--table needs a file name"},
        {{"import", "--family", "qx", "--table"}, Cli::kUsage, "--table needs a file name"},
        {{"import", "--family", "qx", "--table", dir.path()}, Cli::kInvalidDocument, dir.path()},
        {{"import", "--family", "qx", "--table", Path("absent.tb")},
         Cli::kInvalidDocument,
         Path("absent.tb")},
        {{"import", "--family", "qx", "--table", Path("garbage.tb"), "--settings="},
         Cli::kUsage,
         "--settings needs a file name"},
        // doctor
        {{"doctor", "--port="}, Cli::kUsage, "--port needs a port name"},
        {{"doctor", "--port"}, Cli::kUsage, "--port needs a port name"},
        {{"doctor", "--language="}, Cli::kUsage, "--language must be en or zh"},
        {{"doctor", "--language", "klingon"}, Cli::kUsage, "--language must be en or zh"},
    });
    // Nothing was left behind by the commands that failed.
    EXPECT_FALSE(QFile::exists(Path("t.tb")));
}

TEST_F(BadInput, PortsThatAreNoSerialPort) {
    CBadPorts bad;
    ASSERT_TRUE(bad.Make());
    struct PortCase {
        QString port;
        const char* problem;
    };
    const std::vector<PortCase> ports = {
        {bad.file, "not a serial port"},         {bad.dir.path(), "not a serial port"},
        {"/dev/null", "not a serial port"},      {bad.gone, "does not exist"},
        {"ttyORVCONF_ABSENT", "does not exist"}, {bad.Held(), "another program is using it"},
    };
    for (const PortCase& p : ports) {
        // Every road that opens the port: the ORV power-on wait and both QX links.
        for (const QStringList& road :
             {QStringList{"--family", "orv"}, QStringList{"--family", "qx", "--link", "config-key"},
              QStringList{"--family", "qx", "--link", "soft-diagnosis"}}) {
            Check(
                {{QStringList{"read", "--port", p.port} + road, Cli::kPortUnavailable, p.problem}});
        }
    }
    EXPECT_TRUE(bad.FileUntouched());
}

} // namespace
