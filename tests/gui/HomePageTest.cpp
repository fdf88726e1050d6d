// The home page on its own: its controls, its menu, its layout in both languages, the
// connection-method dialog, and the ports that cannot be opened.

#include "../../app/AboutDlg.h"
#include "../../app/Language.h"
#include "../../connect/pages/ConfigKeyDlg.h"
#include "../../connect/pages/NoRadioDlg.h"
#include "../../connect/pages/PowerOnWaitDlg.h"
#include "../../connect/pages/ReadingDlg.h"
#include "../../connect/pages/SavingDlg.h"
#include "../../connect/pages/SoftDiagDlg.h"
#include "GuiTestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSerialPort>

namespace gui {
namespace {

class HomePageTest : public GuiTest {};

QAction* ActionById(QWidget* window, int id) {
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->property("controlId").toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

TEST_F(HomePageTest, StartsWithNoPortChosenAndBothFamilyButtonsDisabled) {
    CreateMain();
    EXPECT_EQ(main->windowTitle(), "ORVCONF");
    QComboBox* combo = PortCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(combo->currentText().isEmpty());
    EXPECT_EQ(HomeButton(1001)->text(), "ORV 5W/25W 设置");
    EXPECT_EQ(HomeButton(1002)->text(), "QX260 2W 模块设置");
    EXPECT_FALSE(HomeButton(1001)->isEnabled());
    EXPECT_FALSE(HomeButton(1002)->isEnabled());

    SelectPort("ttyTEST0");
    EXPECT_TRUE(HomeButton(1001)->isEnabled());
    EXPECT_TRUE(HomeButton(1002)->isEnabled());
    // Typing into the field afterwards keeps them enabled.
    QTest::keyClicks(combo->lineEdit(), "X");
    EXPECT_TRUE(HomeButton(1001)->isEnabled());
}

TEST_F(HomePageTest, MenuHasItsCommandsAndTheAboutBox) {
    CreateMain();
    QAction* instructions = ActionById(main.get(), 32774);
    QAction* chinese = ActionById(main.get(), 32775);
    QAction* english = ActionById(main.get(), 32776);
    ASSERT_NE(instructions, nullptr);
    ASSERT_NE(chinese, nullptr);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(instructions->text(), "使用说明");
    EXPECT_EQ(chinese->text(), "中文");
    EXPECT_EQ(english->text(), "English");
    EXPECT_FALSE(chinese->isChecked());
    EXPECT_FALSE(english->isChecked());
    // The two languages sit in the "语言选择" pop-up of the menu bar.
    QMenu* languages = nullptr;
    for (QMenu* menu : main->menuBar()->findChildren<QMenu*>()) {
        if (menu->actions().contains(chinese)) {
            languages = menu;
        }
    }
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(languages->title(), "语言选择");
    EXPECT_EQ(languages->actions(), (QList<QAction*>{chinese, english}));
    EXPECT_TRUE(main->menuBar()->actions().contains(instructions));

    QAction* about = ActionById(main.get(), 16);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "关于 ORVCONF(&A)...");
    QString title;
    QString version;
    bool hadIcon = false;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<CAboutDlg*>(modal);
        if (box == nullptr) {
            return false;
        }
        title = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) {
            hadIcon = hadIcon || !label->pixmap().isNull();
            if (!label->text().isEmpty()) {
                version = label->text();
            }
        }
        Click(Control(box, 1));
        return true;
    });
    about->trigger(); // modal: returns once OK was pressed
    EXPECT_EQ(title, "关于 ORVCONF");
    EXPECT_EQ(version, "ORVCONF 1.1版");
    EXPECT_TRUE(hadIcon);
    EXPECT_TRUE(main->isVisible());
}

// Every control inside the client area, no two overlapping, every text with room to show.
void ExpectTidyHomePage(CMainDlg& home, const char* language) {
    SCOPED_TRACE(language);
    QWidget* client = home.centralWidget();
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), 6);
    for (QWidget* a : controls) {
        EXPECT_TRUE(client->rect().contains(a->geometry())) << a->objectName().toStdString();
        EXPECT_GE(a->width(), a->sizeHint().width()) << a->objectName().toStdString();
        for (QWidget* b : controls) {
            if (a != b) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " / " << b->objectName().toStdString();
            }
        }
    }
    // The bitmaps stand left of their buttons; the port label above the combo box.
    QWidget* orvBitmap = client->findChild<QWidget*>("orvBitmap");
    QWidget* qxBitmap = client->findChild<QWidget*>("qxBitmap");
    QWidget* portLabel = client->findChild<QWidget*>("portLabel");
    QWidget* orvButton = ControlById<QWidget>(client, 1001);
    QWidget* qxButton = ControlById<QWidget>(client, 1002);
    QWidget* combo = ControlById<QWidget>(client, 1004);
    EXPECT_LT(orvBitmap->geometry().right(), orvButton->x());
    EXPECT_LT(qxBitmap->geometry().right(), qxButton->x());
    EXPECT_LT(orvButton->geometry().bottom(), qxButton->y());
    EXPECT_LT(qxButton->geometry().bottom(), portLabel->y());
    EXPECT_LT(portLabel->geometry().bottom(), combo->y());
}

TEST_F(HomePageTest, LayoutHoldsInBothLanguages) {
    CreateMain();
    ExpectTidyHomePage(*main, "zh");

    ASSERT_TRUE(Language::UseEnglishForms(true)) << "English translation missing";
    CMainDlg english;
    english.show();
    EXPECT_EQ(ControlById<QAbstractButton>(&english, 1001)->text(), "ORV 5W/25W Settings");
    ExpectTidyHomePage(english, "en");
    Language::UseEnglishForms(false);
}

// A form whose English text was forgotten would show Chinese in the English program.
TEST_F(HomePageTest, EnglishFormsLeaveNoChineseText) {
    CreateMain();
    ASSERT_TRUE(Language::UseEnglishForms(true));
    static const QRegularExpression kHan(QStringLiteral("\\p{Han}"));
    const auto expectEnglish = [](QWidget* window) {
        SCOPED_TRACE(window->metaObject()->className());
        EXPECT_FALSE(window->windowTitle().contains(kHan)) << window->windowTitle().toStdString();
        for (QLabel* label : window->findChildren<QLabel*>()) {
            EXPECT_FALSE(label->text().contains(kHan)) << label->text().toStdString();
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            EXPECT_FALSE(button->text().contains(kHan)) << button->text().toStdString();
        }
        for (QMenu* menu : window->findChildren<QMenu*>()) {
            EXPECT_FALSE(menu->title().contains(kHan)) << menu->title().toStdString();
        }
    };
    {
        CMainDlg english;
        expectEnglish(&english);
        CAboutDlg about(QIcon(), &english);
        expectEnglish(&about);
        CPowerOnWaitDlg wait(english);
        expectEnglish(&wait);
        CNoRadioDlg noRadio(english);
        expectEnglish(&noRadio);
        CConfigKeyDlg configKey(english);
        expectEnglish(&configKey);
        CSoftDiagDlg softDiag(english);
        expectEnglish(&softDiag);
        CReadingDlg reading(english);
        expectEnglish(&reading);
        CSavingDlg saving(english);
        expectEnglish(&saving);
        CLinkModeDlg::ReleaseInstance();
        expectEnglish(&CLinkModeDlg::Instance());
    }
    Language::UseEnglishForms(false);
    CLinkModeDlg::ReleaseInstance();
}

TEST_F(HomePageTest, AbsentPortIsReportedAndNothingChanges) {
    CreateMain();
    SelectPort("ttyTEST0");
    // What is typed after the selection is the port used.
    PortCombo()->setEditText("ttyORVCONF_ABSENT");
    Click(HomeButton(1001));
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_EQ(prompts.texts[0], "没有发现此串口或被占用！");
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->PortOpen());
    EXPECT_EQ(main->PortName(), "ttyORVCONF_ABSENT");
    EXPECT_TRUE(NoPageShown());

    main->SetEnglish(true);
    Click(HomeButton(1001));
    ASSERT_EQ(prompts.texts.size(), 2u);
    EXPECT_EQ(prompts.texts[1], "NO Com or be used！");
    EXPECT_TRUE(main->isVisible());
}

TEST_F(HomePageTest, PortHeldByAnotherProgramIsReported) {
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    QSerialPort other(line.SlavePath());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    CreateMain();
    SelectPort(line.SlaveName());
    Click(HomeButton(1001));
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_EQ(prompts.texts[0], "没有发现此串口或被占用！");
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->PortOpen());
    EXPECT_EQ(g_powerOnWaitDlg, nullptr);
}

TEST_F(HomePageTest, PowerOnConnectionToAnAbsentPortIsToldInChinese) {
    CreateMain();
    main->SetEnglish(true);
    SelectPort("ttyORVCONF_ABSENT");
    AnswerLinkMode(1008, 1);
    Click(HomeButton(1002));
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_EQ(prompts.texts[0], "没有发现此串口或被占用！");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(g_linkMode, 0);
}

TEST_F(HomePageTest, ConnectionMethodIsRememberedEvenWhenCancelled) {
    CreateMain();
    SelectPort("ttyORVCONF_ABSENT");
    g_linkMode = 1;

    // Soft diagnosis shown; power-on clicked, then cancelled.
    AnswerLinkMode(1008, 2);
    Click(HomeButton(1002));
    EXPECT_EQ(linkModeShown, 1009);
    EXPECT_EQ(g_linkMode, 0);
    EXPECT_EQ(main->RadioFamily(), FAMILY_QX);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());
    EXPECT_TRUE(NoPageShown());

    // The next time the dialog opens on the clicked choice.
    AnswerLinkMode(0, 2);
    Click(HomeButton(1002));
    EXPECT_EQ(linkModeShown, 1008);
    EXPECT_EQ(g_linkMode, 0);

    // Escape cancels as well.
    WhenModal([](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        return true;
    });
    Click(HomeButton(1002));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(prompts.texts.empty());
    g_linkMode = 1;
}

} // namespace
} // namespace gui
