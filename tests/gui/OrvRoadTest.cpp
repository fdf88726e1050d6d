// The ORV road in the real windows: button 1001, the power-on wait, the not-detected page, the
// read against a simulated radio, and every way the road can be left early.

#include "../../connect/pages/NoRadioDlg.h"
#include "../../connect/pages/PowerOnWaitDlg.h"
#include "../../connect/pages/ReadingDlg.h"
#include "GuiTestSupport.h"

#include <QPointer>

namespace gui {
namespace {

// Against a simulated radio the countdown must leave it time to announce itself, even on a busy
// machine: 30 nominal seconds are 3 here.
class OrvRoadTest : public GuiTest {
protected:
    double TimeScale() const override { return 0.1; }

    // From the home page to the reading page with the radio answering.
    void StartRead(SimRadio& sim) {
        ASSERT_FALSE(sim.Port().isEmpty()) << "orvconf-sim did not start";
        CreateMain();
        SelectPort(sim.Port(), true);
        Click(HomeButton(1001));
        ASSERT_TRUE(Shown(g_powerOnWaitDlg));
        ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
        EXPECT_FALSE(Shown(g_powerOnWaitDlg));
        EXPECT_FALSE(main->isVisible());
    }
};

TEST_F(OrvRoadTest, ReadsTheRadioAndReturnsHome) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200", "--no-pace"});
    ASSERT_FALSE(sim.Port().isEmpty()) << "orvconf-sim did not start";
    CreateMain();
    SelectPort(sim.Port(), true);
    Click(HomeButton(1001));

    // Counting, with both buttons held back, and the port open at 9600.
    EXPECT_FALSE(main->isVisible());
    ASSERT_TRUE(Shown(g_powerOnWaitDlg));
    EXPECT_FALSE(Control(g_powerOnWaitDlg, 1006)->isEnabled());
    EXPECT_FALSE(Control(g_powerOnWaitDlg, 1007)->isEnabled());
    EXPECT_TRUE(main->PortOpen());
    EXPECT_EQ(main->RadioFamily(), FAMILY_ORV);
    ASSERT_TRUE(WaitUntil([this] { return !LabelText(g_powerOnWaitDlg, 1057).isEmpty(); }));
    EXPECT_EQ(LabelText(g_powerOnWaitDlg, 1058), sim.Port());

    ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
    EXPECT_EQ(g_readingDlg->windowTitle(), "读取配置");
    ASSERT_TRUE(WaitUntil([this] { return main->isVisible(); }));
    EXPECT_FALSE(Shown(g_readingDlg));
    EXPECT_FALSE(main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());

    const RadioSettings& settings = main->Session().Settings();
    EXPECT_GE(settings.orvCurrentChannel, 1);
    EXPECT_LE(settings.orvCurrentChannel, 16);
    int listed = 0;
    for (const ChannelEntry& row : settings.channels) {
        listed += row.frequency.empty() ? 0 : 1;
    }
    EXPECT_GT(listed, 0);
    // The home page comes back as it was left.
    EXPECT_EQ(PortCombo()->currentText(), sim.Port());
    EXPECT_TRUE(HomeButton(1001)->isEnabled());
}

TEST_F(OrvRoadTest, CancelLeavesTheReadWithoutAMessage) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200"});
    StartRead(sim);
    Click(Control(g_readingDlg, 2));
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(OrvRoadTest, EscapeOnTheReadingPageIsCancel) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200"});
    StartRead(sim);
    QTest::keyClick(g_readingDlg, Qt::Key_Escape);
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(OrvRoadTest, ClosingTheReadingPageTellsWhyAndReturnsHome) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200"});
    StartRead(sim);
    main->SetEnglish(true);
    g_readingDlg->close();
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_EQ(prompts.texts[0],
              "Reading was not finished and the port is closed. Back to the home page.");
}

TEST_F(OrvRoadTest, RadioFallingSilentMidReadLeadsHome) {
    SimRadio sim(
        {"--family", "orv", "--announce-delay", "200", "--no-pace", "--silent-on", "ATS103?"});
    StartRead(sim);
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "电台没有应答，已返回首页。");
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
}

TEST_F(OrvRoadTest, RadioVanishingMidReadLeadsHome) {
    auto sim =
        std::make_unique<SimRadio>(QStringList{"--family", "orv", "--announce-delay", "200"});
    StartRead(*sim);
    // Paced at its line rate the radio is still talking: end it in the middle.
    ASSERT_TRUE(WaitUntil([this] { return main->Session().Buffer().count > 0; }));
    sim->Kill();
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "串口已断开，请检查串口设备。已返回首页。");
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
}

// On a line where no radio is ever switched on.
class OrvTimeOutTest : public GuiTest {};

TEST_F(OrvTimeOutTest, NoRadioPageAndTheWayBack) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    SelectPort(line.SlaveName());
    Click(HomeButton(1001));
    ASSERT_TRUE(Shown(g_powerOnWaitDlg));
    QPointer<CPowerOnWaitDlg> wait = g_powerOnWaitDlg.data();

    ASSERT_TRUE(WaitUntil([] { return Shown(g_noRadioDlg); }));
    EXPECT_FALSE(wait->isVisible());
    EXPECT_EQ(LabelText(wait, 1057), "0");
    EXPECT_EQ(LabelText(wait, 1058), line.SlaveName());
    EXPECT_TRUE(Control(wait, 1006)->isEnabled());
    EXPECT_TRUE(Control(wait, 1007)->isEnabled());
    // The port stays open for the next attempt.
    EXPECT_TRUE(main->PortOpen());
    EXPECT_FALSE(main->isVisible());
    const QStringList texts = [] {
        QStringList all;
        for (QLabel* label : g_noRadioDlg->findChildren<QLabel*>()) {
            all << label->text();
        }
        return all;
    }();
    EXPECT_TRUE(texts.contains("未检测到电台"));
    EXPECT_EQ(Control(g_noRadioDlg, 1006)->text(), "返回上一页");

    // Back to the wait page, then detect again: counting with the buttons held back.
    QPointer<CNoRadioDlg> firstNoRadio = g_noRadioDlg.data();
    Click(Control(g_noRadioDlg, 1006));
    EXPECT_FALSE(firstNoRadio->isVisible());
    ASSERT_TRUE(wait->isVisible());
    Click(Control(wait, 1007));
    EXPECT_FALSE(Control(wait, 1006)->isEnabled());
    EXPECT_FALSE(Control(wait, 1007)->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return Shown(g_noRadioDlg) && g_noRadioDlg != firstNoRadio; }));

    // Leave: back to the wait page, then home.
    Click(Control(g_noRadioDlg, 1006));
    Click(Control(wait, 1006));
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(OrvTimeOutTest, RadioThatNeverAnswersTheEscapeLeadsHome) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    CreateMain();
    main->SetEnglish(true);
    SelectPort(line.SlaveName());
    Click(HomeButton(1001));
    // A valid power-on report (channel 5, code 7: 9600), then silence.
    line.Write("CH05UHF07 ORV-25W\r\n");
    ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
    ASSERT_TRUE(line.WaitFor("+++", kWaitMs));
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts[0], "The radio does not answer. Back to the home page.");
    EXPECT_TRUE(HomeShownWithPortClosed());
    EXPECT_TRUE(NoPageShown());
}

} // namespace
} // namespace gui
