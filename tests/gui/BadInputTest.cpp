// The window and the program given bad input: ports that are no serial port are told in a
// message and leave the home page usable; unknown arguments stop the program with one line.

#include "tests/gui/GuiSupport.h"

#include <QDir>
#include <QFile>

namespace {

using namespace guitest;
using BadPortTest = GuiTest;

TEST_F(BadPortTest, APortThatIsNoSerialPortIsToldAndTheHomePageStays) {
    QTemporaryDir dir;
    const QString file = dir.filePath("regular-file");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("text\n");
    }
    PtyPair held;
    ASSERT_TRUE(held.Ok());
    QSerialPort holder(held.SlavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    // An adapter that was listed (by its link, as /dev/serial/by-id gives it) and was pulled
    // out before it was opened: link and device are gone. A bare pseudo-terminal's number would
    // soon be taken by another one.
    const QString gone = QDir(dir.path()).filePath("usb-adapter-if00");
    {
        PtyPair pty;
        ASSERT_TRUE(QFile::link(pty.SlavePath(), gone));
    }
    ASSERT_TRUE(QFile::remove(gone));

    for (const QString& port :
         {file, dir.path(), QStringLiteral("/dev/null"), gone, held.SlavePath()}) {
        // The ORV road and the QX road with the CONFIG key open the port at once.
        for (const char* linkRadio : {static_cast<const char*>(nullptr), kPowerOn}) {
            SCOPED_TRACE(port.toStdString() + (linkRadio != nullptr ? " qx" : " orv"));
            prompts.texts.clear();
            Start(port, linkRadio != nullptr ? kQx : kOrv, linkRadio);
            ASSERT_FALSE(prompts.texts.empty());
            EXPECT_NE(prompts.texts.front().find("没有发现此串口或被占用"), std::string::npos)
                << prompts.texts.front();
            EXPECT_TRUE(BackHome());
            EXPECT_TRUE(HomeButton(kOrv)->isEnabled());
        }
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "text\n");
}

TEST(BadArguments, TheProgramStopsWithOneLineNamingThem) {
    const std::vector<QStringList> cases = {
        {"--bogus"},
        {"--version", "extra"},
        {"--help", "--bogus"},
        {"stray"},
        {""},
        {"-platform", "offscreen", "--port=ttyUSB0"},
    };
    for (const QStringList& args : cases) {
        const std::string what = args.join(' ').toStdString();
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(ORVCONF_APP), args);
        ASSERT_TRUE(app.waitForStarted(10000)) << what;
        if (!app.waitForFinished(30000)) {
            app.kill();
            app.waitForFinished();
            ADD_FAILURE() << what << ": the window opened instead";
            continue;
        }
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(app.exitCode(), 1) << what;
        const QString err = QString::fromUtf8(app.readAllStandardError()).trimmed();
        const QString last = err.section('\n', -1);
        EXPECT_TRUE(last.startsWith("orvconf: unknown option or argument: "))
            << what << ": " << err.toStdString();
        EXPECT_TRUE(app.readAllStandardOutput().isEmpty()) << what;
    }
}

} // namespace
