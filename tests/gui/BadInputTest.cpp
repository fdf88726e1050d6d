// The window and the program given bad input: ports that are no serial port are told in a
// message and leave the home page usable; unknown arguments stop the program with one line.

#include "tests/gui/GuiSupport.h"
#include "tests/support/BadPorts.h"

namespace {

using namespace guitest;
using BadPortTest = GuiTest;

TEST_F(BadPortTest, APortThatIsNoSerialPortIsToldAndTheHomePageStays) {
    CBadPorts bad;
    ASSERT_TRUE(bad.Make());
    for (const QString& port :
         {bad.file, bad.dir.path(), QStringLiteral("/dev/null"), bad.gone, bad.Held()}) {
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
    EXPECT_TRUE(bad.FileUntouched());
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
