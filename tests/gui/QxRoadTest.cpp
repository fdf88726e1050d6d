// The QX road in the real windows: the connection-method dialog, the config-key page, the soft
// diagnosis page, the read against a simulated module, and the time-outs.

#include "../../connect/pages/ConfigKeyDlg.h"
#include "../../connect/pages/ReadingDlg.h"
#include "../../connect/pages/SoftDiagDlg.h"
#include "GuiTestSupport.h"

#include <QPointer>

namespace gui {
namespace {

const std::string kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";

class QxRoadTest : public GuiTest {
protected:
    // 10 nominal seconds of countdown are 1 here: room for the module to announce itself.
    double TimeScale() const override { return 0.1; }

    void ExpectReadAndHome() {
        ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
        ASSERT_TRUE(WaitUntil([this] { return main->isVisible(); }));
        EXPECT_FALSE(main->PortOpen());
        EXPECT_TRUE(NoPageShown());
        EXPECT_TRUE(prompts.texts.empty());
        int listed = 0;
        for (const ChannelEntry& row : main->Session().Settings().channels) {
            listed += row.frequency.empty() ? 0 : 1;
        }
        EXPECT_GT(listed, 0);
    }
};

TEST_F(QxRoadTest, ConfigKeyConnectionReadsTheModule) {
    SimRadio sim({"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace"});
    ASSERT_FALSE(sim.Port().isEmpty()) << "orvconf-sim did not start";
    CreateMain();
    SelectPort(sim.Port(), true);
    AnswerLinkMode(1008, 1);
    Click(HomeButton(1002));
    EXPECT_EQ(g_linkMode, 0);
    ASSERT_NE(g_configKeyDlg, nullptr);
    QPointer<CConfigKeyDlg> page = g_configKeyDlg.data();
    EXPECT_EQ(page->windowTitle(), "连接电台");
    EXPECT_EQ(LabelText(page, 1058), sim.Port());
    EXPECT_EQ(LabelText(page, 1059), "10");
    EXPECT_FALSE(main->isVisible());
    ExpectReadAndHome();
    EXPECT_FALSE(page->isVisible());
}

TEST_F(QxRoadTest, SoftDiagnosisFindsTheModuleAtItsRate) {
    SimRadio sim({"--family", "qx", "--rate", "19200", "--no-pace"});
    ASSERT_FALSE(sim.Port().isEmpty()) << "orvconf-sim did not start";
    CreateMain();
    SelectPort(sim.Port(), true);
    AnswerLinkMode(1009, 1);
    Click(HomeButton(1002));
    EXPECT_EQ(g_linkMode, 1);
    ASSERT_NE(g_softDiagDlg, nullptr);
    QPointer<CSoftDiagDlg> page = g_softDiagDlg.data();
    EXPECT_EQ(LabelText(page, 1058), sim.Port());
    EXPECT_EQ(LabelText(page, 1057), "4800"); // the first rate, before the first attempt
    ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(LabelText(page, 1057), "19200");
    EXPECT_EQ(main->Session().Port().Baud(), 19200);
    ExpectReadAndHome();
}

// On a line where no module ever answers.
class QxTimeOutTest : public GuiTest {};

TEST_F(QxTimeOutTest, ConfigKeyCountdownRunsOut) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    SelectPort(line.SlaveName());
    AnswerLinkMode(1008, 1);
    Click(HomeButton(1002));
    ASSERT_TRUE(Shown(g_configKeyDlg));
    // The port is closed before the user is told.
    bool portOpenAtMessage = true;
    prompts.onMessage = [&](const std::string&) { portOpenAtMessage = main->PortOpen(); };
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "未及时上电！");
    EXPECT_FALSE(portOpenAtMessage);
    EXPECT_EQ(LabelText(g_configKeyDlg, 1059), "0");
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
}

TEST_F(QxTimeOutTest, SoftDiagnosisTriesEveryRateThenGivesUp) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    main->SetEnglish(true);
    SelectPort(line.SlaveName());
    AnswerLinkMode(1009, 1);
    Click(HomeButton(1002));
    ASSERT_TRUE(Shown(g_softDiagDlg));
    EXPECT_FALSE(main->PortOpen()); // the search opens the port itself
    bool portOpenAtMessage = false;
    prompts.onMessage = [&](const std::string&) { portOpenAtMessage = main->PortOpen(); };
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "No Connect,Please Check！");
    // The message comes before the port is closed; the last rate tried was 57600.
    EXPECT_TRUE(portOpenAtMessage);
    EXPECT_EQ(LabelText(g_softDiagDlg, 1057), "57600");
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
}

// The last rate's answer may arrive while the failure message is on screen: the read it starts
// must not be cut off by the return to the home page.
TEST_F(QxTimeOutTest, LateAnswerDuringTheFailureMessageIsRead) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    SelectPort(line.SlaveName());
    AnswerLinkMode(1009, 1);
    Click(HomeButton(1002));
    prompts.onMessage = [&](const std::string&) {
        line.Write(kStartAnswer);
        WaitUntil([] { return Shown(g_readingDlg); });
    };
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "未连接，请检查串口设备！");
    EXPECT_TRUE(Shown(g_readingDlg));
    EXPECT_TRUE(main->PortOpen());
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(line.WaitFor("ATS128?\r", kWaitMs));
}

TEST_F(QxTimeOutTest, ClosingTheSearchPageReturnsHome) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    SelectPort(line.SlaveName());
    AnswerLinkMode(1009, 1);
    Click(HomeButton(1002));
    ASSERT_TRUE(Shown(g_softDiagDlg));
    ASSERT_TRUE(WaitUntil([this] { return main->PortOpen(); }));
    g_softDiagDlg->close();
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
    // Nothing goes on behind the home page.
    QTest::qWait(200);
    EXPECT_FALSE(main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());
}

} // namespace
} // namespace gui
