#pragma once
// What the window tests share: recorded prompts, the simulated radio on a pseudo-terminal, and a
// fixture that owns the home page and clicks through it as a user would.

#include "app/MainDlg.h"
#include "base/Prompts.h"
#include "base/Timing.h"
#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/Pages.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SettingsPage.h"
#include "connect/pages/SoftDiagDlg.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SpawnedProcess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace guitest {

// Generous: the machine may be busy with other builds.
inline constexpr int kWaitMs = 30000;

// The controls met on every road, by their names in the forms.
inline constexpr const char* kOrv = "orvButton";
inline constexpr const char* kQx = "qxButton";
inline constexpr const char* kPowerOn = "powerOnRadio";
inline constexpr const char* kSoftDiag = "softDiagRadio";

class RecordingPrompts : public IPrompts {
public:
    void ShowMessage(const std::string&, const std::string& text, PromptIcon icon) override {
        texts.push_back(text);
        icons.push_back(icon);
        if (onMessage) {
            onMessage(); // while the message would be on screen (a modal box runs the loop)
        }
    }
    // Questions are answered from answers, in turn; none left: Yes.
    bool AskYesNo(const std::string&, const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return true;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    // The file dialogs answer with the paths queued here, in turn; none left: cancelled.
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
        return Choose(request, savePaths);
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
        return Choose(request, openPaths);
    }
    std::vector<std::string> texts;
    std::vector<PromptIcon> icons;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::function<void()> onMessage;
    std::vector<FileDialogRequest> dialogs;
    std::deque<std::string> savePaths;
    std::deque<std::string> openPaths;

private:
    std::optional<std::string> Choose(const FileDialogRequest& request,
                                      std::deque<std::string>& paths) {
        dialogs.push_back(request);
        if (paths.empty()) {
            return std::nullopt;
        }
        const std::string path = paths.front();
        paths.pop_front();
        return path;
    }
};

// A simulated radio served on a pseudo-terminal, killed with the test; port is the name the
// home page lists ("pts/5"). Not a QProcess: these tests run under ThreadSanitizer too.
struct SimRadio : CSpawnedProcess {
    explicit SimRadio(const QStringList& args)
        : CSpawnedProcess(QStringLiteral(ORVCONF_SIM), args) {
        port = ReadLine(kWaitMs).trimmed();
        port.remove(QRegularExpression(QStringLiteral("^/dev/")));
    }
    void kill() { Kill(); }
    QString port;
};

template <typename Pred> bool WaitUntil(Pred done) {
    return PtyPair::PumpUntil(done, kWaitMs);
}

inline bool Shown(QWidget* w) {
    return w != nullptr && w->isVisible();
}

// Presses a button the way a user does: only a visible, enabled button reacts. The click lands
// near the left end, where a radio button has its indicator and text.
inline void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    const QPoint spot(std::min(button->width() / 2, 10), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, spot);
}

// A control of a window by its name in the form ("okButton", "portText").
template <typename T = QAbstractButton> T* Control(QWidget* window, const char* name) {
    return window != nullptr ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// The bytes of the tool's last write, from its "ATP0=" on, as the radio's log shows them ("in"
// lines: hex after the rate).
inline std::string LastWrite(const QString& logPath) {
    QFile log(logPath);
    std::string bytes;
    const bool opened = log.open(QIODevice::ReadOnly);
    while (opened && !log.atEnd()) {
        const QStringList words =
            QString::fromUtf8(log.readLine()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype i = 4;
             words.size() >= 5 && words[2] == "in" && i < words.size() && words[i].size() == 2;
             ++i) {
            bytes.push_back(static_cast<char>(words[i].toInt(nullptr, 16)));
        }
    }
    const std::size_t from = bytes.rfind("ATP0=\r");
    return from == std::string::npos ? std::string() : bytes.substr(from);
}

// A click on a cell of a settings page's channel list.
inline void ClickCell(QWidget* page, int row, int column) {
    auto* list = Control<QTableView>(page, "channelList");
    const QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QApplication::processEvents();
}

// The cell editor on screen (a closed one may wait for its deletion).
template <typename T = QLineEdit> T* OpenEditor(QWidget* page, const char* name = "cellEdit") {
    for (T* editor : page->findChildren<T*>(QLatin1String(name))) {
        if (editor->isVisible()) {
            return editor;
        }
    }
    return nullptr;
}

// Opens a cell, replaces its text and ends with key.
inline void TypeInto(QWidget* page, int row, int column, const QString& text,
                     Qt::Key key = Qt::Key_Return) {
    ClickCell(page, row, column);
    QLineEdit* editor = OpenEditor(page);
    ASSERT_NE(editor, nullptr) << "no editor over " << row << "," << column;
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    QApplication::processEvents();
}

inline QString LabelText(QWidget* window, const char* name) {
    QLabel* label = Control<QLabel>(window, name);
    return label != nullptr ? label->text() : QString();
}

// Owns the main window; the controls are found by their names in the forms.
class GuiTest : public ::testing::Test {
protected:
    // Nominal waits run this much faster in the test.
    virtual double TimeScale() const { return 0.02; }

    void SetUp() override {
        // The home page probes every simulated radio listed where all programs look: this process
        // and its radios keep a registry of their own, apart from tests running side by side.
        static QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        Timing::SetScale(TimeScale());
        Prompts::Install(&prompts);
    }
    void TearDown() override {
        m_modalPoll.reset();
        main.reset();
        Prompts::Install(nullptr);
        Timing::SetScale(1.0);
    }

    // The home page as the program opens it (the ports are enumerated now).
    void CreateMain() {
        main.reset();
        (main = std::make_unique<CMainDlg>())->show();
    }
    QAbstractButton* HomeButton(const char* name) { return Control(main.get(), name); }
    // The pages of the home page.
    CPages& Pages() const { return main->Pages(); }
    QComboBox* PortCombo() { return Control<QComboBox>(main.get(), "portCombo"); }

    // Picks a port in the combo as the user does, adding it first when the enumeration did not
    // list it (a bare pseudo-terminal).
    void SelectPort(const QString& name) {
        portWasListed = PortCombo()->findText(name) >= 0;
        if (!portWasListed) {
            PortCombo()->addItem(name);
        }
        PortCombo()->setCurrentIndex(PortCombo()->findText(name));
    }

    // A new home page, the port picked and the family button clicked; with linkRadio
    // (kPowerOn, kSoftDiag) the connection-method dialog is answered with it and OK.
    void Start(const QString& port, const char* button, const char* linkRadio = nullptr) {
        CreateMain();
        SelectPort(port);
        if (linkRadio != nullptr) {
            AnswerLinkMode(linkRadio, "okButton");
        }
        Click(HomeButton(button));
    }

    // Answers the connection-method dialog once it is up: notes the choice it opened on, clicks
    // a radio button (none for nullptr) and then "okButton" or "cancelButton".
    void AnswerLinkMode(const char* radio, const char* button) {
        m_modalPoll = std::make_unique<QTimer>();
        QObject::connect(m_modalPoll.get(), &QTimer::timeout, [this, radio, button] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_modalPoll->stop();
                linkModeShown = Control(modal, kPowerOn)->isChecked() ? kPowerOn : kSoftDiag;
                if (radio != nullptr) {
                    Click(Control(modal, radio));
                }
                Click(Control(modal, button));
            }
        });
        m_modalPoll->start(5);
    }

    // The home page shown, the port closed and no page left on screen.
    bool BackHome() const {
        const QList<CPage*> pages = Pages().All();
        return main->isVisible() && !main->PortOpen() &&
               std::none_of(pages.begin(), pages.end(), [](CPage* p) { return p->isVisible(); });
    }

    RecordingPrompts prompts;
    std::unique_ptr<CMainDlg> main;
    bool portWasListed = false;
    std::string linkModeShown;

private:
    std::unique_ptr<QTimer> m_modalPoll;
};

// The countdowns must leave the radio time to announce itself, even on a busy machine: 30
// nominal seconds (ORV) are 3 here, 10 (QX config key) are 1.
class RoadTest : public GuiTest {
protected:
    double TimeScale() const override { return 0.1; }

    // ORV: from the ORV button through the power-on wait to the reading page, the radio answering.
    void StartOrvRead(SimRadio& sim) {
        ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
        Start(sim.port, kOrv);
        EXPECT_TRUE(portWasListed) << "the simulated radio is not offered";
        // Counting, with both buttons held back, and the port open.
        ASSERT_TRUE(Shown(Pages().powerOnWaitDlg));
        EXPECT_FALSE(Control(Pages().powerOnWaitDlg, "backButton")->isEnabled() ||
                     Control(Pages().powerOnWaitDlg, "redetectButton")->isEnabled());
        EXPECT_TRUE(main->PortOpen());
        ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().readingDlg); }));
        EXPECT_FALSE(Shown(Pages().powerOnWaitDlg) || main->isVisible());
    }
};

} // namespace guitest
