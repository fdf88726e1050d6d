#include "connect/pages/SettingsPage.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/PageSlots.h"
#include "connect/pages/SavingDlg.h"

#include <QFile>
#include <QFileInfo>

CSettingsPage::CSettingsPage(IPageOwner& owner, RadioFamily family)
    : CPage(owner, true), m_family(family) {}

void CSettingsPage::OnExitSettings() {
    hide();
    HideSavingPage();
    m_writeRunning = false;
    CRadioSession& session = Owner().Session();
    if (session.PortOpen()) {
        session.LeaveCommandMode();
    }
    Owner().ShowHome();
}

void CSettingsPage::Stop() {
    if (m_writeRunning) {
        EndWrite();
    }
}

void CSettingsPage::PresentSavingPage() {
    PageSlots::Put(g_savingDlg, new CSavingDlg(Owner()))->Present();
}

bool CSettingsPage::BeginWrite(const PageSetPlan& plan) {
    PresentSavingPage();
    return Started(Owner().StartWrite(*this, plan));
}

bool CSettingsPage::Started(bool started) {
    if (!started) {
        HideSavingPage();
        Tell(Msg::kWriteError);
        return false;
    }
    m_writeRunning = true;
    EnableWriteControls(false);
    return true;
}

void CSettingsPage::EndWrite() {
    m_writeRunning = false;
    EnableWriteControls(true);
}

void CSettingsPage::HideSavingPage() {
    if (g_savingDlg != nullptr) {
        g_savingDlg->hide();
    }
}

void CSettingsPage::OnWriteEnded(const WriteEndNotice& notice) {
    if (!m_writeRunning) {
        return;
    }
    // A refusal is told with the saving page still up, as the radio refused while saving.
    if (!notice.refused) {
        HideSavingPage();
    }
    Prompts::Current().ShowMessage(kMessageCaption, notice.message.toStdString(),
                                   notice.good ? PromptIcon::Information : PromptIcon::Warning);
    if (notice.refused) {
        HideSavingPage();
    }
    EndWrite();
    if (notice.saveSent) {
        OnSaved();
    }
}

void CSettingsPage::SetOffline(bool offline) {
    if (offline == m_offline) {
        return;
    }
    if (offline) {
        m_onlineCaption = windowTitle();
        setWindowTitle(m_onlineCaption + tr("（离线）"));
    } else {
        setWindowTitle(m_onlineCaption);
    }
    m_offline = offline;
}

void CSettingsPage::TellProblems(const PageSetPlan& plan) {
    for (const SetProblem& problem : plan.problems) {
        Prompts::Current().ShowMessage(kMessageCaption, problem.Text(Owner().English()),
                                       PromptIcon::Warning);
    }
}

bool CSettingsPage::SetWith(const PageSetPlan& plan) {
    if (m_offline) {
        Owner().ConnectThenSet(*this);
        return false;
    }
    if (plan.family == FAMILY_ORV) {
        Owner().Session().Settings().orvProgram = plan.orv.program;
    } else {
        Owner().Session().Settings().qxProgram = plan.qx.program;
    }
    return BeginWrite(plan);
}

bool CSettingsPage::WriteFileReadOnly(const QString& path, const QByteArray& bytes) {
    // A read-only file (an earlier export) is not replaced, whoever runs the program.
    const QFileInfo info(path);
    if (info.exists() &&
        (!info.isFile() || !info.isWritable() || (info.permissions() & QFile::WriteOwner) == 0)) {
        return false;
    }
    if (!WholeFile::Write(path, bytes).isEmpty()) {
        return false;
    }
    constexpr QFile::Permissions kWrite =
        QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
    QFile::setPermissions(path, QFile::permissions(path) & ~kWrite);
    return true;
}
