#include "connect/pages/SettingsPage.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/Pages.h"
#include "connect/pages/SavingDlg.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The problems one message lists before it says how many more there are.
constexpr std::size_t kProblemsListed = 10;

} // namespace

CSettingsPage::CSettingsPage(IPageOwner& owner, RadioFamily family, const RadioSettings& from)
    : CPage(owner, true), m_family(family), m_settings(from) {}

bool CSettingsPage::HasUnwrittenChanges() const {
    return EditedState() != m_unchanged;
}

bool CSettingsPage::ConfirmLeave() {
    if (!isVisible() || !HasUnwrittenChanges()) {
        return true;
    }
    return Prompts::Current().AskYesNo(kMessageCaption, Msg::kLeaveUnwritten.In(Owner().English()));
}

bool CSettingsPage::OnExitSettings() {
    if (!ConfirmLeave()) {
        return false;
    }
    LeaveSettings();
    return true;
}

void CSettingsPage::LeaveSettings() {
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
    CPages::Put(Owner().Pages().savingDlg, new CSavingDlg(Owner()))->Present();
}

bool CSettingsPage::BeginWrite(const PageSetPlan& plan) {
    m_writing = EditedState();
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
    if (CSavingDlg* saving = Owner().Pages().savingDlg) {
        saving->hide();
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
    if (notice.good) {
        // The radio holds what the page showed at Set (a change made meanwhile is unwritten).
        m_unchanged = m_writing;
    }
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

std::string CSettingsPage::ProblemsText(const std::vector<SetProblem>& problems, bool english) {
    if (problems.size() == 1) {
        return problems.front().PageText(english);
    }
    const std::string count = std::to_string(problems.size());
    std::string text =
        english ? "Please correct these " + count + " items:" : "请改正以下 " + count + " 项：";
    for (std::size_t i = 0; i < problems.size() && i < kProblemsListed; ++i) {
        std::string item = problems[i].PageText(english);
        // The place goes under its message, indented like it.
        for (std::size_t at = item.find('\n'); at != std::string::npos;
             at = item.find('\n', at + 1)) {
            item.insert(at + 1, "    ");
        }
        text += "\n" + std::to_string(i + 1) + ". " + item;
    }
    if (problems.size() > kProblemsListed) {
        const std::string more = std::to_string(problems.size() - kProblemsListed);
        text += english ? "\n(and " + more + " more)" : "\n（另有 " + more + " 项）";
    }
    return text;
}

void CSettingsPage::TellProblems(const PageSetPlan& plan) {
    if (!plan.problems.empty()) {
        Prompts::Current().ShowMessage(
            kMessageCaption, ProblemsText(plan.problems, Owner().English()), PromptIcon::Warning);
    }
}

void CSettingsPage::OnSet() {
    if (WriteRunning() || Owner().Session().Writing()) {
        return;
    }
    const PageSetPlan plan = PrepareSetPlan();
    if (!plan.Writable()) {
        TellProblems(plan);
        return;
    }
    if (!PlanCheckAllowsSet()) {
        return;
    }
    SetWith(plan);
}

bool CSettingsPage::SetWith(const PageSetPlan& plan) {
    if (m_offline) {
        Owner().ConnectThenSet(*this);
        return false;
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
