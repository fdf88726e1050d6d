#pragma once
// The home page: the port choice and the two radio-family buttons. It owns its connection to a
// radio and every page, and takes the user back here whenever a road ends.

#include "app/DocumentDesk.h"
#include "connect/RadioSession.h"
#include "connect/pages/PageOwner.h"
#include "connect/pages/Pages.h"
#include "serial/PortEnumerator.h"

#include <QIcon>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

namespace Ui {
class CMainDlg;
}
class CSettingsPage;
class QComboBox;
class QPushButton;

class CMainDlg : public QMainWindow, public IPageOwner, public IDocumentDeskOwner {
    Q_OBJECT
public:
    // Client area of the home page in dialog units.
    static constexpr int kClientWidthDlu = 242;
    static constexpr int kClientHeightDlu = 198;

    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // IPageOwner and IDocumentDeskOwner
    QWidget* PageParent() override { return this; }
    QWidget* Window() override { return this; }
    CRadioSession& Session() override { return m_session; }
    CPages& Pages() override { return m_pages; }
    bool English() const override { return m_english; }
    QString PortName() const override { return m_portName; }
    void ShowHome() override;
    void PresentReadingPage() override;
    void ReturnHome(const Bilingual* why = nullptr) override;
    void ConnectThenSet(CSettingsPage& page) override;
    bool StartWrite(CSettingsPage& page, const PageSetPlan& plan) override;

    // The language of composed messages (set by the language commands after a re-creation).
    void SetEnglish(bool english) { m_english = english; }
    // What the language commands do once the user agreed to leave the pages: the window is
    // re-created by whoever holds it, so the call comes after the menu's signal has returned.
    // Without it the commands only leave the pages be.
    void SetLanguageChooser(std::function<void(bool english)> choose) {
        m_chooseLanguage = std::move(choose);
    }
    RadioFamily Family() const { return m_radioFamily; }
    bool PortOpen() const { return m_session.PortOpen(); }

    // Control and command handlers.
    void OnPortSelChange(int index);
    void OnOrvButton() { StartRoad(FAMILY_ORV); }
    void OnQxButton() { StartRoad(FAMILY_QX); }
    // The family's connection procedure on the chosen port. False when it did not start (the
    // port cannot be opened, the connection method was cancelled).
    bool StartRoad(RadioFamily family) override;
    // The port the home page's box names, typed or listed.
    QString PortFromCombo() const override;

    // The family's settings page, new, presented and filled from settings, as at the end of a
    // read.
    CSettingsPage* PresentSettingsPage(RadioFamily family, const RadioSettings& settings) override;
    CDocumentDesk& Documents() { return *m_documents; }
    void OnAbout();
    // The help menu: the instructions, and the language commands (the window is re-created).
    void OnInstructions();
    void OnChinese();
    void OnEnglish();
    // The check mark on the language chosen last.
    void MarkLanguage(bool english);

    // What the radio session reports.
    void OnReadStarted(RadioFamily family);
    void OnReadFinished(const RadioSnapshot& read);
    void OnNoAnswer();
    // A reply too long to be an answer was thrown away: said with the silence that follows.
    void OnReplyRejected() { m_replyRejected = true; }
    void OnReadFailed(ReadFailure why, const QString& command, const QString& reply);
    void OnPortLost(const QString& reason);

    // Lists the free ports in the port box, with no selection and both family buttons disabled.
    void FillPortCombo(const QList<PortInfo>& ports);
    void FillPortCombo(const QStringList& names);
    // Lists the free ports again, keeping what the box holds.
    void RefreshPorts();

    // Before the pages go with the window (a language chosen, the window closed): true when no
    // settings page on screen holds changes never written, or the user agrees to give them up.
    bool ConfirmLeavePages();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void InitDialog();
    // Puts the home page's controls where their dialog-unit positions say, in this font.
    void PlaceControls();
    static QList<PortInfo> FreePorts();
    void ListPorts(const QList<PortInfo>& ports);
    void Tell(const Bilingual& message);
    // The end of a read: the family's settings page is created, filled and shown.
    void OnReadEnd();

    std::unique_ptr<Ui::CMainDlg> m_ui;
    CRadioSession m_session;
    CPages m_pages;
    RadioFamily m_radioFamily = FAMILY_QX;
    QString m_portName;
    QComboBox* m_portCombo = nullptr;
    QPushButton* m_qxButton = nullptr;
    QPushButton* m_orvButton = nullptr;
    bool m_english = false;
    QIcon m_icon;
    // The pauses at the end of a read, single shots that going home cancels.
    QTimer m_afterRead;
    QTimer m_afterHide;
    bool m_returningHome = false;
    bool m_replyRejected = false;
    // The read whose end the pauses above wait for.
    RadioSnapshot m_lastRead;
    CDocumentDesk* m_documents = nullptr;
    std::function<void(bool)> m_chooseLanguage;
};
