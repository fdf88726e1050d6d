// The windows clicked as a user would, offscreen: the home page on its own, and the ORV and QX
// roads against the simulated radio (orvconf-sim) or a bare pseudo-terminal where no radio
// answers.

#include "app/Language.h"
#include "base/Version.h"
#include "connect/pages/QtPrompts.h"
#include "tests/gui/GuiSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QSerialPort>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>

namespace {

using namespace guitest;

// ---- The home page on its own.

class HomePageTest : public GuiTest {};

TEST_F(HomePageTest, FamilyButtonsWaitForAPortAndTheAboutBoxOpens) {
    CreateMain();
    QTest::keyClicks(PortCombo()->lineEdit(), " ");
    EXPECT_FALSE(HomeButton(kOrv)->isEnabled() || HomeButton(kQx)->isEnabled());
    QTest::keyClicks(PortCombo()->lineEdit(), "/dev/ttyUSB7");
    EXPECT_TRUE(HomeButton(kOrv)->isEnabled() && HomeButton(kQx)->isEnabled());
    CreateMain();
    SelectPort("ttyTEST0");
    QTest::keyClicks(PortCombo()->lineEdit(), "X"); // typing afterwards keeps them enabled
    EXPECT_TRUE(HomeButton(kOrv)->isEnabled() && HomeButton(kQx)->isEnabled());

    bool aboutWithIcon = false;
    QString versionText;
    WhenModal([&](QWidget* box) {
        for (QLabel* label : box->findChildren<QLabel*>()) {
            aboutWithIcon = aboutWithIcon || !label->pixmap().isNull();
        }
        versionText = box->findChild<QLabel*>(QStringLiteral("versionLabel"))->text();
        Click(Control(box, "okButton"));
    });
    main->findChild<QAction*>(QStringLiteral("aboutAction"))
        ->trigger(); // modal: returns once OK was pressed
    EXPECT_TRUE(aboutWithIcon);
    // The version the build was made from, the same one every --version names.
    EXPECT_EQ(versionText, QString("ORVCONF %1版").arg(kOrvconfVersion));
}

// A radio started after the window is found when the list opens, with its description in the
// list and its bare name in the box; the user's typed choice survives the refresh.
TEST_F(HomePageTest, OpeningThePortListFindsNewPortsWithTheirDescriptions) {
    CreateMain();
    QTest::keyClicks(PortCombo()->lineEdit(), "ttyTYPED9");
    SimRadio sim({"--family", "qx"});
    ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
    ASSERT_LT(PortCombo()->findText(sim.port), 0);

    PortCombo()->showPopup();
    const int row = PortCombo()->findText(sim.port);
    ASSERT_GE(row, 0);
    EXPECT_EQ(PortCombo()->currentText(), "ttyTYPED9");
    EXPECT_TRUE(HomeButton(kOrv)->isEnabled() && HomeButton(kQx)->isEnabled());

    // What the list draws for the row: the name and the description.
    QStyleOptionViewItem option;
    option.initFrom(PortCombo()->view());
    QAbstractItemDelegate* delegate = PortCombo()->view()->itemDelegate();
    auto* styled = dynamic_cast<QStyledItemDelegate*>(delegate);
    ASSERT_NE(styled, nullptr);
    const QModelIndex index = PortCombo()->model()->index(row, 0);
    const QSize shown = styled->sizeHint(option, index);
    const QFontMetrics metrics(PortCombo()->view()->font());
    EXPECT_GE(shown.width(), metrics.horizontalAdvance(sim.port + "simulated QX260 module"));
    EXPECT_GE(PortCombo()->view()->width(), shown.width());
    PortCombo()->hidePopup();

    // Choosing it puts the bare name in the box, which is wide enough for it.
    PortCombo()->setCurrentIndex(row);
    EXPECT_EQ(PortCombo()->currentText(), sim.port);
    int widest = 0;
    for (int i = 0; i < PortCombo()->count(); ++i) {
        widest = std::max(widest,
                          PortCombo()->fontMetrics().horizontalAdvance(PortCombo()->itemText(i)));
    }
    EXPECT_GE(PortCombo()->lineEdit()->width(),
              std::min(widest, main->centralWidget()->width() / 2));
    EXPECT_TRUE(main->centralWidget()->rect().contains(PortCombo()->geometry()));
}

TEST_F(HomePageTest, EnterPressesTheFocusedFamilyButton) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        CreateMain();
        prompts.texts.clear();
        PortCombo()->setEditText("ttyORVCONF_ABSENT");
        HomeButton(kOrv)->setFocus();
        QTest::keyClick(HomeButton(kOrv), key);
        // The button acted: the absent port was tried and reported.
        ASSERT_FALSE(prompts.texts.empty()) << key;
        EXPECT_NE(prompts.texts[0].find("没有发现此串口或被占用"), std::string::npos);
    }
}

// A one-word message still leaves its caption room beside the title-bar buttons.
TEST_F(HomePageTest, MessageBoxesAreWideEnoughForTheirCaption) {
    CreateMain();
    CQtPrompts real;
    int width = 0;
    int captionWidth = 0;
    WhenModal([&](QWidget* box) {
        width = box->width();
        captionWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
        box->close();
    });
    real.ShowMessage("ORVCONF", "OK", PromptIcon::Warning);
    EXPECT_GE(width, captionWidth + 150);
}

TEST_F(HomePageTest, ThePortListOffersTheDiagnosisOfThePortInIt) {
    CreateMain();
    PortCombo()->setEditText("ttyORVCONF_ABSENT");
    auto* diagnosis = PortCombo()->findChild<QAction*>(QStringLiteral("portDiagnosisAction"));
    ASSERT_NE(diagnosis, nullptr);
    EXPECT_TRUE(PortCombo()->actions().contains(diagnosis));
    diagnosis->trigger();
    main->SetEnglish(true);
    diagnosis->trigger();
    ASSERT_EQ(prompts.texts.size(), 2u);
    EXPECT_NE(prompts.texts[0].find("串口 /dev/ttyORVCONF_ABSENT 不存在。"), std::string::npos);
    // Every check is named with its result, not only the problems.
    for (const char* part :
         {"device: PROBLEM", "permission: skipped", "ModemManager: ", "brltty: ", "sudo dmesg"}) {
        EXPECT_NE(prompts.texts[1].find(part), std::string::npos) << part;
    }
}

// Every control inside the client area, no two overlapping, every text with room to show; the
// bitmaps left of their buttons, the port label above the combo box.
void ExpectTidyHomePage(CMainDlg& home) {
    QWidget* client = home.centralWidget();
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), 6);
    for (QWidget* a : controls) {
        EXPECT_TRUE(client->rect().contains(a->geometry())) << a->objectName().toStdString();
        EXPECT_GE(a->width(), a->sizeHint().width()) << a->objectName().toStdString();
        for (QWidget* b : controls) {
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString();
        }
    }
    const auto at = [client](const char* name) {
        return client->findChild<QWidget*>(name)->geometry();
    };
    EXPECT_LT(at("orvBitmap").right(), at("orvButton").x());
    EXPECT_LT(at("qxBitmap").right(), at("qxButton").x());
    EXPECT_LT(at("orvButton").bottom(), at("qxButton").y());
    EXPECT_LT(at("qxButton").bottom(), at("portLabel").y());
    EXPECT_LT(at("portLabel").bottom(), at("portCombo").y());
}

TEST_F(HomePageTest, BothLanguagesLayOutTidily) {
    CreateMain();
    {
        SCOPED_TRACE("zh");
        ExpectTidyHomePage(*main);
    }
    ASSERT_TRUE(Language::UseEnglishForms(true)) << "English translation missing";
    {
        SCOPED_TRACE("en");
        CMainDlg english;
        english.show();
        ExpectTidyHomePage(english);
    }
    Language::UseEnglishForms(false);
}

TEST_F(HomePageTest, PortsThatCannotBeOpenedAreReportedAndTheConnectionMethodIsRemembered) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    QSerialPort other(line.SlavePath()); // held by another program
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    // The refusal, then what the port doctor found, if it found a problem.
    const auto expectRefused = [this](const char* text, const char* doctor = nullptr) {
        ASSERT_FALSE(prompts.texts.empty());
        EXPECT_EQ(prompts.texts.front(), text);
        if (doctor != nullptr) {
            ASSERT_EQ(prompts.texts.size(), 2u);
            EXPECT_NE(prompts.texts.back().find(doctor), std::string::npos) << prompts.texts.back();
        } else {
            EXPECT_EQ(prompts.texts.size(), 1u) << prompts.texts.back();
        }
        prompts.texts.clear();
        EXPECT_TRUE(BackHome());
    };
    Start(line.SlaveName(), kOrv);
    expectRefused("没有发现此串口或被占用！");

    // An absent port; what is typed after the selection is the port used.
    PortCombo()->setEditText("ttyORVCONF_ABSENT");
    main->SetEnglish(true);
    Click(HomeButton(kOrv));
    expectRefused("NO Com or be used！", "The port /dev/ttyORVCONF_ABSENT does not exist.");
    EXPECT_EQ(main->PortName(), "ttyORVCONF_ABSENT");

    // Dialog 162 remembers a choice clicked even when cancelled, and opens on it next time.
    g_linkMode = QxLinkMethod::SoftDiagnosis;
    AnswerLinkMode(kPowerOn, "cancelButton");
    Click(HomeButton(kQx));
    EXPECT_EQ(linkModeShown, kSoftDiag);
    EXPECT_EQ(g_linkMode, QxLinkMethod::ConfigKey);
    EXPECT_TRUE(prompts.texts.empty() && BackHome());

    // Then OK: the QX power-on road has always told of a port it cannot open in Chinese only.
    AnswerLinkMode(nullptr, "okButton");
    Click(HomeButton(kQx));
    EXPECT_EQ(linkModeShown, kPowerOn);
    expectRefused("没有发现此串口或被占用！", "does not exist");

    // The soft diagnosis stops at the first rate it cannot open the port at: no search over
    // every rate for a port that is not there.
    AnswerLinkMode(kSoftDiag, "okButton");
    Click(HomeButton(kQx));
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(LabelText(g_softDiagDlg, "rateText"), "4800");
    expectRefused("NO Com or be used！");
}

TEST_F(RoadTest, OrvReadsTheRadioIntoItsPageAndLeavesForHome) {
    SimRadio sim({"--family", "orv", "--announce-delay", "200", "--no-pace"});
    StartOrvRead(sim);
    // The reading page's bar moves with every step of the read and is full at its end.
    auto* bar = Control<QProgressBar>(g_readingDlg, "progressBar");
    ASSERT_NE(bar, nullptr);
    std::vector<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, [&values](int v) { values.push_back(v); });
    ASSERT_TRUE(WaitUntil([] { return Shown(g_orvPage); }));
    ASSERT_GE(values.size(), 3u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), bar->maximum());
    EXPECT_FALSE(Shown(g_readingDlg) || main->isVisible());
    EXPECT_TRUE(main->PortOpen());
    EXPECT_GE(main->Session().Settings().orvCurrentChannel, 1);
    Click(Control(g_orvPage, "exitButton"));
    EXPECT_TRUE(BackHome());
    EXPECT_TRUE(prompts.texts.empty());
    // The home page comes back as it was left.
    EXPECT_EQ(PortCombo()->currentText(), sim.port);
    EXPECT_TRUE(HomeButton(kOrv)->isEnabled());

    // The connection's traffic is saved from the menu after the port has closed.
    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.txt");
    WhenModal([&](QWidget* box) {
        auto* dialog = qobject_cast<QFileDialog*>(box);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // takes the file as a click on Save would
    });
    main->findChild<QAction*>(QStringLiteral("saveTrafficAction"))->trigger();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    for (const char* part :
         {"--  open ", " ms  RX  ", "|+++|", "|ATS128?.|", "|ata.|", "--  close"}) {
        EXPECT_TRUE(text.contains(part)) << part << "\n" << text.toStdString();
    }
}

// Cancel, Escape, the caption's close button, a radio falling silent or vanishing mid-read: each
// leads home with the port closed, telling why where the user did not choose it.
TEST_F(RoadTest, OrvEveryEarlyEndOfTheReadLeadsHome) {
    struct Way {
        const char* name;
        QStringList args;
        std::function<void(SimRadio&)> act;
        std::string message;
    };
    const Way ways[] = {
        {"cancel", {}, [this](SimRadio&) { Click(Control(g_readingDlg, "cancelButton")); }, ""},
        {"escape", {}, [](SimRadio&) { QTest::keyClick(g_readingDlg, Qt::Key_Escape); }, ""},
        {"caption close",
         {},
         [this](SimRadio&) {
             main->SetEnglish(true);
             g_readingDlg->close();
         },
         "Reading was not finished and the port is closed. Back to the home page."},
        {"silent",
         {"--no-pace", "--silent-on", "ATS103?"},
         [](SimRadio&) {},
         "电台没有应答，已返回首页。"},
        {"refused",
         {"--no-pace", "--error-on", "ATS141?"},
         [](SimRadio&) {},
         "电台拒绝了 ATS141?（ERROR）。"},
        {"garbled",
         {"--no-pace", "--value-noise", "ff", "--value-noise-on", "ATS127?"},
         [this](SimRadio&) { main->SetEnglish(true); },
         "The radio's reply to ATS127? was garbled; check the cable."},
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
        way.act(sim);
        if (!way.message.empty()) {
            ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        }
        EXPECT_EQ(prompts.texts, way.message.empty() ? std::vector<std::string>{}
                                                     : std::vector<std::string>{way.message});
        EXPECT_TRUE(BackHome());
    }
}

TEST_F(RoadTest, QxSoftDiagnosisFindsTheModuleAtItsRate) {
    SimRadio sim({"--family", "qx", "--rate", "19200", "--no-pace"});
    Start(sim.port, kQx, kSoftDiag);
    EXPECT_EQ(g_linkMode, QxLinkMethod::SoftDiagnosis);
    ASSERT_TRUE(Shown(g_softDiagDlg));
    EXPECT_EQ(LabelText(g_softDiagDlg, "portText"), sim.port);
    ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
    EXPECT_EQ(main->Session().LineRate(), 19200);
    ExpectReadThenHome();
}

// ---- Lines where no radio ever answers.

class TimeOutTest : public GuiTest {};

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
        SimRadio sim(
            {"--family", c.simFamily, "--rate", "9600", "--announce-delay", "200", "--no-pace"});
        ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
        prompts.texts.clear();
        Start(sim.port, c.button, c.linkRadio);
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); })) << c.simFamily;
        EXPECT_EQ(prompts.texts.front(), c.message);
        EXPECT_TRUE(BackHome()) << c.simFamily;
        EXPECT_FALSE(Shown(g_readingDlg));
    }
}

// A start answer after the ORV wait gave up starts a read; the "no radio" page gives way to it.
TEST_F(TimeOutTest, AReadStopsEveryOtherConnectionPage) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kOrv);
    QPointer<CPowerOnWaitDlg> wait = g_powerOnWaitDlg.data();
    ASSERT_TRUE(WaitUntil([] { return Shown(g_noRadioDlg); }));
    line.Write("\r\nNO CARRIER\r\nOK\r\n");
    ASSERT_TRUE(WaitUntil([] { return Shown(g_readingDlg); }));
    ASSERT_TRUE(WaitUntil([&wait] { return !Shown(wait) && !Shown(g_noRadioDlg); }));
    QTest::qWait(50);
    EXPECT_FALSE(Shown(wait) || Shown(g_noRadioDlg));
    EXPECT_TRUE(Shown(g_readingDlg));
}

// ORV: page 132, the way back to the wait page, a second detection, and home.
TEST_F(TimeOutTest, OrvNoRadioPageAndTheWayBack) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kOrv);
    ASSERT_TRUE(Shown(g_powerOnWaitDlg));
    QPointer<CPowerOnWaitDlg> wait = g_powerOnWaitDlg.data();

    ASSERT_TRUE(WaitUntil([] { return Shown(g_noRadioDlg); }));
    EXPECT_TRUE(g_noRadioDlg->findChild<QLabel*>()->text().contains("未检测到电台"));
    EXPECT_EQ(LabelText(wait, "secondsText"), "0");
    EXPECT_EQ(LabelText(wait, "portText"), line.SlaveName());
    EXPECT_TRUE(Control(wait, "backButton")->isEnabled() &&
                Control(wait, "redetectButton")->isEnabled());
    EXPECT_FALSE(wait->isVisible() || main->isVisible());
    EXPECT_TRUE(main->PortOpen()); // kept for the next attempt

    // Back to the wait page, then detect again: counting with the buttons held back.
    QPointer<CNoRadioDlg> firstNoRadio = g_noRadioDlg.data();
    Click(Control(g_noRadioDlg, "backButton"));
    ASSERT_TRUE(wait->isVisible() && !firstNoRadio->isVisible());
    Click(Control(wait, "redetectButton"));
    EXPECT_FALSE(Control(wait, "backButton")->isEnabled() ||
                 Control(wait, "redetectButton")->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return Shown(g_noRadioDlg) && g_noRadioDlg != firstNoRadio; }));

    // Leave: back to the wait page, then home.
    Click(Control(g_noRadioDlg, "backButton"));
    Click(Control(wait, "backButton"));
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
        QWidget* page =
            way.linkRadio == kPowerOn ? static_cast<QWidget*>(g_configKeyDlg) : g_softDiagDlg;
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
        WaitUntil([] { return Shown(g_readingDlg); });
    };
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"未连接，请检查串口设备！"});
    EXPECT_TRUE(Shown(g_readingDlg) && main->PortOpen() && !main->isVisible());
    EXPECT_TRUE(line.WaitFor("ATS128?\r", kWaitMs));
}

// Closing the search page leads home, and nothing goes on behind the home page.
TEST_F(TimeOutTest, QxClosingTheSearchPageReturnsHome) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    Start(line.SlaveName(), kQx, kSoftDiag);
    ASSERT_TRUE(Shown(g_softDiagDlg));
    ASSERT_TRUE(WaitUntil([this] { return main->PortOpen(); }));
    g_softDiagDlg->close();
    EXPECT_TRUE(BackHome());
    QTest::qWait(200);
    EXPECT_FALSE(main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());
}

} // namespace
