// The windows clicked as a user would, offscreen: the home page on its own, and the ORV and QX
// roads against the simulated radio (orvconf-sim) or a bare pseudo-terminal where no radio
// answers.

#include "connect/pages/QtPrompts.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/BadPorts.h"

#include <QAction>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>

namespace {

using namespace guitest;

class HomePageTest : public GuiTest {};

// A port that is absent, held by another program or no serial port at all is told, with what
// the port doctor found where it found a problem, on the ORV road and on the QX road with the
// CONFIG key (which opens the port at once); the home page stays usable.
TEST_F(HomePageTest, APortThatCannotBeOpenedIsToldAndTheHomePageStays) {
    CBadPorts bad;
    ASSERT_TRUE(bad.Make());
    for (const QString& port : {QStringLiteral("/dev/ttyORVCONF_ABSENT"), bad.file, bad.dir.path(),
                                QStringLiteral("/dev/null"), bad.gone, bad.Held()}) {
        for (const char* linkRadio : {static_cast<const char*>(nullptr), kPowerOn}) {
            SCOPED_TRACE(port.toStdString() + (linkRadio != nullptr ? " qx" : " orv"));
            prompts.texts.clear();
            Start(port, linkRadio != nullptr ? kQx : kOrv, linkRadio);
            ASSERT_FALSE(prompts.texts.empty());
            EXPECT_EQ(prompts.texts.front(), "没有发现此串口或被占用！");
            if (port.endsWith("ABSENT")) {
                ASSERT_EQ(prompts.texts.size(), 2U);
                EXPECT_NE(prompts.texts[1].find("串口 /dev/ttyORVCONF_ABSENT 不存在。"),
                          std::string::npos);
            }
            EXPECT_TRUE(BackHome() && HomeButton(kOrv)->isEnabled());
        }
    }
    EXPECT_TRUE(bad.FileUntouched());
}

// The boxes on screen, clicked: a success shows the information icon, a failure the warning; a
// question is answered by the button clicked, and Escape answers No.
TEST_F(HomePageTest, BoxesShowTheirKindAndQuestionsTheButtonClicked) {
    CQtPrompts boxes;
    Prompts::Install(&boxes);
    CreateMain();
    std::vector<std::pair<QMessageBox::Icon, QString>> seen;
    std::deque<std::function<void(QMessageBox*)>> press;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->isVisible() && !press.empty()) {
            seen.emplace_back(box->icon(), box->text());
            press.front()(box);
            press.pop_front();
        }
    });
    poll.start(5);
    const auto click = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox* box) { QTest::mouseClick(box->button(which), Qt::LeftButton); };
    };
    press = {click(QMessageBox::Ok), click(QMessageBox::Ok), click(QMessageBox::Yes),
             [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }};
    boxes.ShowMessage(kMessageCaption, Msg::kSaved.zh, PromptIcon::Information);
    boxes.ShowMessage(kMessageCaption, Msg::kWriteError.zh, PromptIcon::Warning);
    EXPECT_TRUE(boxes.AskYesNo(kMessageCaption, "Leave?"));
    EXPECT_FALSE(boxes.AskYesNo(kMessageCaption, "Leave?"));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(QMessageBox::Information, QString("保存完毕！")));
    EXPECT_EQ(seen[1].first, QMessageBox::Warning);
    EXPECT_EQ(seen[2].first, QMessageBox::Question);
}

// With nothing listed, the port box has room for a name such as ttyUSB10, and keeps it.
TEST_F(HomePageTest, ThePortBoxHasRoomForALongPortName) {
    CreateMain();
    main->FillPortCombo(QStringList{});
    // The box fits itself to its contents a moment after they change (62 pixels on a desktop
    // with nothing listed): whatever it fits itself to, it keeps this room.
    PortCombo()->resize(1, PortCombo()->height());
    QLineEdit* field = PortCombo()->lineEdit();
    EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(QStringLiteral("ttyUSB10")));
}

// The family buttons wait for a port; Enter presses the focused one. The connection-method dialog
// remembers a choice clicked even when cancelled, and opens on it next time.
TEST_F(HomePageTest, FamilyButtonsAndTheConnectionMethodDialog) {
    CreateMain();
    QTest::keyClicks(PortCombo()->lineEdit(), " ");
    EXPECT_FALSE(HomeButton(kOrv)->isEnabled() || HomeButton(kQx)->isEnabled());
    QTest::keyClicks(PortCombo()->lineEdit(), "/dev/ttyUSB7");
    EXPECT_TRUE(HomeButton(kOrv)->isEnabled() && HomeButton(kQx)->isEnabled());
    PortCombo()->setEditText("ttyORVCONF_ABSENT");
    HomeButton(kOrv)->setFocus();
    QTest::keyClick(HomeButton(kOrv), Qt::Key_Enter);
    ASSERT_FALSE(prompts.texts.empty()); // the absent port was tried and told
    prompts.texts.clear();
    Pages().linkMode = QxLinkMethod::SoftDiagnosis;
    AnswerLinkMode(kPowerOn, "cancelButton");
    Click(HomeButton(kQx));
    EXPECT_EQ(linkModeShown, kSoftDiag);
    EXPECT_EQ(Pages().linkMode, QxLinkMethod::ConfigKey);
    EXPECT_TRUE(prompts.texts.empty() && BackHome());
    AnswerLinkMode(nullptr, "cancelButton");
    Click(HomeButton(kQx));
    EXPECT_EQ(linkModeShown, kPowerOn);
}

TEST_F(RoadTest, OrvReadsTheRadioIntoItsPageAndLeavesForHome) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200", "--no-pace"});
    StartOrvRead(sim);
    // The reading page's bar moves with every step of the read and is full at its end.
    auto* bar = Control<QProgressBar>(Pages().readingDlg, "progressBar");
    ASSERT_NE(bar, nullptr);
    std::vector<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, [&values](int v) { values.push_back(v); });
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().orvPage); }));
    ASSERT_GE(values.size(), 3u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), bar->maximum());
    EXPECT_FALSE(Shown(Pages().readingDlg) || main->isVisible());
    Click(Control(Pages().orvPage, "exitButton"));
    EXPECT_TRUE(BackHome());
    EXPECT_TRUE(prompts.texts.empty());
    EXPECT_EQ(PortCombo()->currentText(), sim.port);
}

// The caption's close button, a radio refusing, falling silent or vanishing mid-read:
// each leads home with the port closed, telling why where the user did not choose it.
TEST_F(RoadTest, OrvEveryEarlyEndOfTheReadLeadsHome) {
    struct Way {
        const char* name;
        QStringList args;
        std::function<void(SimRadio&)> act;
        std::string message;
    };
    const Way ways[] = {
        {"caption close",
         {},
         [this](SimRadio&) {
             main->SetEnglish(true);
             Pages().readingDlg->close();
         },
         "Reading was not finished and the port is closed. Back to the home page."},
        {"silent", {"--no-pace", "--silent-on", "ATS103?"}, nullptr, "电台没有应答，已返回首页。"},
        {"refused",
         {"--no-pace", "--error-on", "ATS141?"},
         nullptr,
         "电台拒绝了 ATS141?（ERROR）。"},
        // A reply too long to be an answer is thrown away; the user hears of it with the silence.
        {"overlong",
         {"--no-pace", "--fault", "overlong", "--fault-at", "3"},
         nullptr,
         "电台发来的应答过长，不是它的任何一种应答，已忽略。\n电台没有应答，已返回首页。"},
        // Paced at its line rate the radio is still talking: end it in the middle.
        {"vanished",
         {},
         [this](SimRadio& sim) {
             ASSERT_TRUE(WaitUntil([this] { return !main->Session().ReceivedText().empty(); }));
             sim.kill();
         },
         "串口已断开，请检查串口设备。已返回首页。"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        prompts.texts.clear();
        SimRadio sim(QStringList{"--family", "orv", "--announce-delay", "200"} + way.args);
        StartOrvRead(sim);
        if (way.act) {
            way.act(sim);
        }
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        EXPECT_TRUE(BackHome());
    }
}

// QX: the soft diagnosis finds the module at its rate; once the read is done, page 153 shows the
// settings read; leaving it sends the module out of its command mode and goes home.
TEST_F(RoadTest, QxSoftDiagnosisFindsTheModuleAtItsRateAndReadsIt) {
    SimRadio sim({"--family", "qx", "--rate", "19200", "--no-pace"});
    Start(sim.port, kQx, kSoftDiag);
    ASSERT_TRUE(Shown(Pages().softDiagDlg));
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().readingDlg); }));
    EXPECT_EQ(main->Session().LineRate(), 19200);
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().qxPage); }));
    EXPECT_FALSE(main->isVisible() || Shown(Pages().readingDlg));
    EXPECT_TRUE(prompts.texts.empty());
    const RadioSettings& shown = Pages().qxPage->Settings();
    EXPECT_EQ(shown, main->Session().Record());
    const auto& rows = shown.channels;
    EXPECT_TRUE(
        std::any_of(rows.begin(), rows.end(), [](auto& row) { return !row.frequency.empty(); }));
    EXPECT_EQ(Control<QComboBox>(Pages().qxPage, "protocolCombo")->currentIndex(), shown.qx.s186);
    Click(Control(Pages().qxPage, "exitButton"));
    ASSERT_TRUE(WaitUntil([this] { return BackHome(); }));
}

// The radio of the other family on the port is named within moments, and the way leads home.
TEST_F(RoadTest, TheOtherFamilysRadioIsNamedAndLeadsHome) {
    struct Case {
        const char* simFamily;
        const char* button;
        const char* linkRadio;
        const char* message;
    };
    for (const Case& c : {Case{"qx", kOrv, nullptr, "此串口接的是 QX260 模块，请使用 QX260 按钮。"},
                          Case{"orv", kQx, kPowerOn, "此串口接的是 ORV 电台，请使用 ORV 按钮。"}}) {
        SCOPED_TRACE(c.simFamily);
        SimRadio sim(
            {"--family", c.simFamily, "--rate", "9600", "--announce-delay", "200", "--no-pace"});
        prompts.texts.clear();
        Start(sim.port, c.button, c.linkRadio);
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        EXPECT_EQ(prompts.texts.front(), c.message);
        EXPECT_TRUE(BackHome() && !Shown(Pages().readingDlg));
    }
}

// ---- Lines where no radio answers, or answers late.

class TimeOutTest : public GuiTest {};

// ORV: page 132 with the wait page's buttons free, a second detection; a start answer after the
// wait gave up starts a read that no other connection page outlives.
TEST_F(TimeOutTest, OrvNoRadioPageTheWayBackAndALateStart) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kOrv);
    ASSERT_TRUE(Shown(Pages().powerOnWaitDlg));
    QPointer<CPowerOnWaitDlg> wait = Pages().powerOnWaitDlg.data();
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().noRadioDlg); }));
    EXPECT_EQ(LabelText(wait, "secondsText"), "0");
    EXPECT_TRUE(main->PortOpen()); // kept for the next attempt
    QPointer<CNoRadioDlg> firstNoRadio = Pages().noRadioDlg.data();
    Click(Control(Pages().noRadioDlg, "backButton"));
    Click(Control(wait, "redetectButton"));
    ASSERT_TRUE(
        WaitUntil([&] { return Shown(Pages().noRadioDlg) && Pages().noRadioDlg != firstNoRadio; }));
    line.Write("\r\nNO CARRIER\r\nOK\r\n");
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().readingDlg); }));
    ASSERT_TRUE(WaitUntil([this, &wait] { return !Shown(wait) && !Shown(Pages().noRadioDlg); }));
    QTest::qWait(50);
    EXPECT_FALSE(Shown(wait) || Shown(Pages().noRadioDlg));
    Click(Control(Pages().readingDlg, "cancelButton"));
    EXPECT_TRUE(BackHome());
    EXPECT_TRUE(prompts.texts.empty());
}

// QX: the config-key countdown closes the port before telling and stops at 0; the soft diagnosis
// tells with the port still open (a late answer may yet come), its last rate 57600 shown.
TEST_F(TimeOutTest, QxGivesUpEitherWayAndLeadsHome) {
    struct Way {
        const char* linkRadio;
        bool english;
        std::string message;
        bool portOpenAtMessage;
        const char* label;
        QString labelText;
    };
    for (const Way& way :
         {Way{kPowerOn, false, "未及时上电！", false, "secondsText", "0"},
          Way{kSoftDiag, true, "No Connect,Please Check！", true, "rateText", "57600"}}) {
        SCOPED_TRACE(way.linkRadio);
        PtyPair line;
        ASSERT_TRUE(line.Ok());
        prompts.texts.clear();
        Start(line.SlaveName(), kQx, way.linkRadio);
        main->SetEnglish(way.english);
        QWidget* page = way.linkRadio == kPowerOn ? static_cast<QWidget*>(Pages().configKeyDlg)
                                                  : Pages().softDiagDlg;
        ASSERT_TRUE(Shown(page));
        bool portOpenAtMessage = !way.portOpenAtMessage;
        prompts.onMessage = [&] { portOpenAtMessage = main->PortOpen(); };
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        prompts.onMessage = nullptr;
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        EXPECT_EQ(portOpenAtMessage, way.portOpenAtMessage);
        EXPECT_EQ(LabelText(page, way.label), way.labelText);
        EXPECT_TRUE(BackHome());
    }
}

// The last rate's answer may arrive while the failure message is on screen: the read it starts
// must not be cut off by the return to the home page.
TEST_F(TimeOutTest, QxLateAnswerDuringTheFailureMessageIsRead) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kQx, kSoftDiag);
    prompts.onMessage = [&] {
        line.Write("\r\nNO CARRIER\r\nOK\r\n");
        WaitUntil([this] { return Shown(Pages().readingDlg); });
    };
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"未连接，请检查串口设备！"});
    EXPECT_TRUE(Shown(Pages().readingDlg) && main->PortOpen() && !main->isVisible());
    EXPECT_TRUE(line.WaitFor("ATS128?\r", kWaitMs));
}

// The traffic log is saved where the save dialog of the prompts says; the dialog starts in the
// home folder with a name of its own.
TEST_F(TimeOutTest, TheTrafficLogIsSavedWhereTheFileDialogSays) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kOrv);
    line.Write("\r\nhello radio");
    ASSERT_TRUE(WaitUntil([this] { return !main->Session().ReceivedText().empty(); }));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traffic.txt"));
    prompts.savePaths = {path.toStdString()};
    main->findChild<QAction*>(QStringLiteral("saveTrafficAction"))->trigger();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].title, "保存通信记录");
    EXPECT_EQ(prompts.dialogs[0].defaultSuffix, "txt");
    EXPECT_TRUE(
        QString::fromStdString(prompts.dialogs[0].initialName).startsWith(QDir::homePath()));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("hello radio"));
    EXPECT_TRUE(prompts.texts.empty());
    main->ReturnHome();
}

// Closing the search page is the way back while it runs: home, port closed, no message.
TEST_F(TimeOutTest, QxClosingTheSearchPageReturnsHome) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kQx, kSoftDiag);
    ASSERT_TRUE(Shown(Pages().softDiagDlg));
    ASSERT_TRUE(WaitUntil([this] { return main->PortOpen(); }));
    Pages().softDiagDlg->close();
    EXPECT_TRUE(BackHome());
    EXPECT_FALSE(main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());
}

} // namespace
