// orvconf-sim given bad input: every option without its value, empty, garbage or out of range,
// and state and log files it cannot use. Each is refused with one line naming the problem.

#include "sim/SimOptions.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct OptionCase {
    QStringList arguments; // after the program name
    const char* problem;
};

TEST(SimBadInput, EveryOptionRefusesMissingEmptyGarbageAndOutOfRangeValues) {
    const std::vector<OptionCase> cases = {
        {{"--family"}, "family"},
        {{"--family="}, "--family must be orv or qx"},
        {{"--family", "\xE2\x98\x83"}, "--family must be orv or qx"},
        {{"--family", "orv", "--rate"}, "rate"},
        {{"--family", "orv", "--rate="}, "--rate"},
        {{"--family", "orv", "--rate", "fast"}, "--rate"},
        {{"--family", "qx", "--rate", "0"}, "--rate"},
        {{"--family", "qx", "--rate", "-9600"}, "--rate"},
        {{"--family", "qx", "--rate", "99999999999"}, "--rate"},
        {{"--family", "orv", "--state"}, "state"},
        {{"--family", "orv", "--state="}, "--state needs a file name"},
        {{"--family", "orv", "--log="}, "--log needs a file name"},
        {{"--family", "orv", "--announce-delay="}, "--announce-delay"},
        {{"--family", "orv", "--announce-delay", "soon"}, "--announce-delay"},
        {{"--family", "orv", "--announce-delay", "99999999999"}, "--announce-delay"},
        {{"--family", "orv", "--noise="}, "--noise needs bytes in hex"},
        {{"--family", "orv", "--noise", "zz"}, "--noise needs bytes in hex"},
        {{"--family", "orv", "--value-noise", "abc"}, "--value-noise needs bytes in hex"},
        {{"--family", "orv", "--power-on-noise="}, "--power-on-noise needs bytes in hex"},
        {{"--family", "orv", "--listing-noise", "-1"}, "--listing-noise needs bytes in hex"},
        {{"--family", "orv", "--noise-on="}, "--noise-on needs the start of a command"},
        {{"--family", "orv", "--value-noise-on="}, "--value-noise-on needs the start"},
        {{"--family", "orv", "--reset-on="}, "--reset-on needs the start of a command"},
        {{"--family", "orv", "--error-on="}, "--error-on needs the start of a command"},
        {{"--family", "orv", "--silent-on="}, "--silent-on needs the start of a command"},
        {{"--family", "orv", "--silent-after", "-1"}, "--silent-after needs a number"},
        {{"--family", "orv", "--silent-after", "five"}, "--silent-after needs a number"},
        {{"--family", "orv", "--truncate-listing="}, "--truncate-listing needs a number"},
        {{"--family", "orv", "--extra-listing-lines", "1001"}, "up to 1000"},
        {{"--family", "orv", "--no-pace=yes"}, "no-pace"},
        {{"--family", "orv", "stray"}, "unexpected argument \"stray\""},
    };
    for (const OptionCase& c : cases) {
        SimOptions options;
        QString message;
        EXPECT_EQ(ParseSimOptions(QStringList{"orvconf-sim"} + c.arguments, &options, &message),
                  SimOptionsResult::Error)
            << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.problem)))
            << c.arguments.join(' ').toStdString() << ": " << message.toStdString();
        EXPECT_FALSE(message.trimmed().contains('\n')) << message.toStdString();
    }
}

TEST(SimBadInput, StateAndLogFilesItCannotUseStopTheProgramWithOneLine) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath("garbage.json");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x00\x01 not json", 11);
    }
    struct FileCase {
        QStringList arguments;
        QString problem;
    };
    const std::vector<FileCase> cases = {
        {{"--state", dir.path()}, dir.path()},
        {{"--state", garbage}, "garbage.json"},
        {{"--state", dir.filePath("no/such/folder/state.json")}, "state.json"},
        {{"--state", "/dev/null"}, "/dev/null"},
        {{"--log", dir.path()}, dir.path()},
        {{"--log", dir.filePath("no/such/folder/sim.log")}, "sim.log"},
        {{"--rate", "4800000"}, "--rate"},
    };
    for (const FileCase& c : cases) {
        const std::string what = c.arguments.join(' ').toStdString();
        QProcess sim;
        sim.start(QStringLiteral(ORVCONF_SIM_PROGRAM),
                  QStringList{"--family", "qx", "--announce-delay", "600000"} + c.arguments);
        ASSERT_TRUE(sim.waitForStarted(10000)) << what;
        if (!sim.waitForFinished(20000)) {
            sim.kill();
            sim.waitForFinished();
            ADD_FAILURE() << what << ": still running";
            continue;
        }
        EXPECT_NE(sim.exitCode(), 0) << what;
        const QString err = QString::fromUtf8(sim.readAllStandardError()).trimmed();
        EXPECT_TRUE(err.contains(c.problem)) << what << ": " << err.toStdString();
        EXPECT_FALSE(err.contains('\n')) << what << ": " << err.toStdString();
        EXPECT_TRUE(sim.readAllStandardOutput().isEmpty()) << what;
    }
    // The file it could not use is left as it was.
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x00\x01 not json", 11));
}

} // namespace
