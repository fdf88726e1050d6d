#pragma once
// What the window tests share: a message recorder, a simulated radio on its own pseudo-terminal,
// and a fixture that owns the main window and finds controls by their dialog identifiers.

#include "../../app/MainDlg.h"
#include "../../connect/pages/LinkModeDlg.h"
#include "../../connect/pages/Page.h"
#include "../../connect/pages/PageSlots.h"
#include "../../exchange/Prompts.h"
#include "../../exchange/Timing.h"
#include "../support/PtyPair.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

// Generous: the machine may be busy with other builds.
constexpr int kWaitMs = 30000;

class RecordingPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text, PromptIcon) override {
        captions.push_back(caption);
        texts.push_back(text);
        if (onMessage) {
            onMessage(text);
        }
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    // Runs while the message would be on screen (a modal box runs the event loop meanwhile).
    std::function<void(const std::string&)> onMessage;
};

// A simulated radio served on a pseudo-terminal; killed with the test.
class SimRadio {
public:
    explicit SimRadio(const QStringList& args) {
        m_process.setProgram(QStringLiteral(ORVCONF_SIM));
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (m_process.waitForStarted(kWaitMs) && m_process.waitForReadyRead(kWaitMs)) {
            QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("/dev/"))) {
                line = line.mid(5);
            }
            m_port = line;
        }
    }
    ~SimRadio() { Kill(); }
    SimRadio(const SimRadio&) = delete;
    SimRadio& operator=(const SimRadio&) = delete;

    void Kill() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }
    // The name the home page lists ("pts/5").
    QString Port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

// Simulated radios list themselves where every running program finds them, and the home page
// probes each by opening it. Tests that run side by side would trip over each other's radios:
// this process and the radios it starts use a registry of their own.
inline void UsePrivateSimRegistry() {
    static QTemporaryDir runtime;
    static const bool set = qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    (void)set;
}

template <typename Pred> bool WaitUntil(Pred done, int timeoutMs = kWaitMs) {
    return PtyPair::PumpUntil(done, timeoutMs);
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

class GuiTest : public ::testing::Test {
protected:
    // Nominal waits run this much faster in the test.
    virtual double TimeScale() const { return 0.02; }

    void SetUp() override {
        UsePrivateSimRegistry();
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
    CMainDlg& CreateMain() {
        main = std::make_unique<CMainDlg>();
        main->show();
        return *main;
    }

    template <typename T = QAbstractButton> T* Control(QWidget* window, int id) {
        return window != nullptr ? ControlById<T>(window, id) : nullptr;
    }
    QAbstractButton* HomeButton(int id) { return Control(main.get(), id); }
    QComboBox* PortCombo() { return Control<QComboBox>(main.get(), 1004); }
    QString LabelText(QWidget* window, int id) {
        QLabel* label = Control<QLabel>(window, id);
        return label != nullptr ? label->text() : QString();
    }

    // Picks a port in combo 1004 as the user does; a port the enumeration did not list (a bare
    // pseudo-terminal) is added first.
    void SelectPort(const QString& name, bool mustBeListed = false) {
        QComboBox* combo = PortCombo();
        ASSERT_NE(combo, nullptr);
        int index = combo->findText(name);
        if (mustBeListed) {
            ASSERT_GE(index, 0) << "port " << name.toStdString() << " is not listed";
        }
        if (index < 0) {
            combo->addItem(name);
            index = combo->count() - 1;
        }
        combo->setCurrentIndex(index);
    }

    // Runs act on the modal dialog once one is up (act returns false to keep waiting).
    void WhenModal(std::function<bool(QWidget*)> act) {
        m_modalPoll = std::make_unique<QTimer>();
        m_modalPoll->setInterval(5);
        QObject::connect(m_modalPoll.get(), &QTimer::timeout, [this, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && act(modal)) {
                m_modalPoll->stop();
            }
        });
        m_modalPoll->start();
    }

    // Answers the connection-method dialog when it comes up: clicks a radio button (1008 or
    // 1009, 0 for none) and then OK (1) or Cancel (2).
    void AnswerLinkMode(int radioId, int buttonId) {
        WhenModal([this, radioId, buttonId](QWidget* modal) {
            if (modal != &CLinkModeDlg::Instance()) {
                return false;
            }
            linkModeShown = Control(modal, 1008)->isChecked() ? 1008 : 1009;
            if (radioId != 0) {
                Click(Control(modal, radioId));
            }
            Click(Control(modal, buttonId));
            return true;
        });
    }

    bool HomeShownWithPortClosed() const { return main->isVisible() && !main->PortOpen(); }

    static bool NoPageShown() {
        for (CPage* page : PageSlots::All()) {
            if (page->isVisible()) {
                return false;
            }
        }
        return true;
    }

    RecordingPrompts prompts;
    std::unique_ptr<CMainDlg> main;
    int linkModeShown = 0;

private:
    std::unique_ptr<QTimer> m_modalPoll;
};

} // namespace gui
