#include "app/DocumentDesk.h"

#include "app/ReviewDlg.h"
#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/Pages.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SettingsPage.h"
#include "document/Compare.h"
#include "document/History.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTimer>

#include <cstdio>

namespace {

constexpr const char* kVerifyKey = "verifyAfterWriting";
constexpr const char* kDocumentFilter =
    QT_TRANSLATE_NOOP("CMainDlg", "设置文件 (*.json);;All Files(*)");
// The newest reads the menu lists; older ones are opened through "打开设置文件…".
constexpr int kRecentShown = 30;
// The bad fields, and the differences after a write, a message names before it says how many
// more there are.
constexpr int kProblemsNamed = 5;
constexpr int kDifferencesNamed = 12;

// The menu and its dialogs speak the language of the forms, as the help menu does.
QString Tr(const char* text) {
    return QCoreApplication::translate("CMainDlg", text);
}

QString FamilyName(RadioFamily family) {
    return family == FAMILY_ORV ? QStringLiteral("ORV") : QStringLiteral("QX260");
}

QString Lines(const QStringList& lines, bool english, int most) {
    QStringList named = lines.mid(0, most);
    if (lines.size() > most) {
        const qsizetype more = lines.size() - most;
        named.append(english ? QStringLiteral("(and %1 more)").arg(more)
                             : QStringLiteral("（另有 %1 处）").arg(more));
    }
    return named.join(QLatin1Char('\n'));
}

} // namespace

CDocumentDesk::CDocumentDesk(IDocumentDeskOwner& owner)
    : QObject(owner.Window()), m_window(owner), m_write(owner.Session()) {
    m_menu = new QMenu(QCoreApplication::translate("CMainDlg", "文件"), owner.Window());
    m_menu->setObjectName(QStringLiteral("fileMenu"));
    m_open = m_menu->addAction(QCoreApplication::translate("CMainDlg", "打开设置文件…"));
    m_open->setObjectName(QStringLiteral("openSettingsAction"));
    m_save = m_menu->addAction(QCoreApplication::translate("CMainDlg", "保存设置文件…"));
    m_save->setObjectName(QStringLiteral("saveSettingsAction"));
    m_recent = m_menu->addMenu(QCoreApplication::translate("CMainDlg", "最近读取"));
    m_recent->setObjectName(QStringLiteral("recentReadsMenu"));
    m_menu->addSeparator();
    m_review = m_menu->addAction(QCoreApplication::translate("CMainDlg", "查看更改…"));
    m_review->setObjectName(QStringLiteral("reviewChangesAction"));
    m_verify = m_menu->addAction(QCoreApplication::translate("CMainDlg", "写入后校验"));
    m_verify->setObjectName(QStringLiteral("verifyAfterWritingAction"));
    m_verify->setCheckable(true);
    m_verify->setChecked(QSettings().value(QLatin1String(kVerifyKey), false).toBool());

    connect(m_open, &QAction::triggered, this, &CDocumentDesk::OnOpen);
    connect(m_save, &QAction::triggered, this, &CDocumentDesk::OnSave);
    connect(m_review, &QAction::triggered, this, &CDocumentDesk::OnReview);
    connect(m_verify, &QAction::toggled, this,
            [](bool on) { QSettings().setValue(QLatin1String(kVerifyKey), on); });
    connect(m_menu, &QMenu::aboutToShow, this, &CDocumentDesk::UpdateActions);
    connect(m_recent, &QMenu::aboutToShow, this, &CDocumentDesk::FillRecent);
    connect(&m_write, &Doc::CWriteVerify::readingBack, this, [this] {
        // The reading page takes its place while the radio is read back.
        if (CSavingDlg* saving = m_window.Pages().savingDlg) {
            saving->hide();
        }
    });
    connect(&m_write, &Doc::CWriteVerify::finished, this, &CDocumentDesk::WriteEnded);
    UpdateActions();
}

CDocumentDesk::~CDocumentDesk() = default;

bool CDocumentDesk::English() const {
    return m_window.English();
}

void CDocumentDesk::Tell(const QString& text) {
    Prompts::Current().ShowMessage(kMessageCaption, text.toStdString(), PromptIcon::Warning);
}

CDocumentDesk::Filled& CDocumentDesk::Of(RadioFamily family) {
    return m_filled[family == FAMILY_ORV ? 1 : 0];
}

void CDocumentDesk::AddMenuTo(QMenuBar& bar) {
    const QList<QAction*> actions = bar.actions();
    bar.insertMenu(actions.isEmpty() ? nullptr : actions.first(), m_menu);
}

void CDocumentDesk::AttachTo(CSettingsPage& page) {
    if (page.layout() == nullptr || page.layout()->menuBar() != nullptr) {
        return;
    }
    auto* bar = new QMenuBar(&page);
    bar->setObjectName(QStringLiteral("pageMenuBar"));
    bar->addMenu(m_menu);
    page.layout()->setMenuBar(bar);
    bar->show();
    UpdateActions();
}

CSettingsPage* CDocumentDesk::ShowingPage() const {
    const CPages& pages = m_window.Pages();
    for (CSettingsPage* page : {pages.orvPage.data(), pages.qxPage.data()}) {
        if (page != nullptr && page->isVisible()) {
            return page;
        }
    }
    return nullptr;
}

void CDocumentDesk::UpdateActions() {
    CSettingsPage* page = ShowingPage();
    const bool busy = m_window.Session().Writing() || m_window.Session().Reading();
    const bool pageIdle = page != nullptr && !busy && !page->WriteRunning();
    m_save->setEnabled(pageIdle);
    m_review->setEnabled(pageIdle);
    m_open->setEnabled(!busy);
    m_recent->setEnabled(!busy);
}

bool CDocumentDesk::VerifyChecked() const {
    return m_verify->isChecked();
}

// ---- The history.

void CDocumentDesk::KeepRead(const RadioSnapshot& read) {
    QString error;
    if (Doc::KeepRead(SettingsDocument{read.family, read.settings}, read.port, &error).isEmpty()) {
        // The read itself went well; losing its copy must not stand in the user's way.
        std::fprintf(stderr, "orvconf: the read was not kept in the history: %s\n",
                     qPrintable(error));
    }
}

void CDocumentDesk::FillRecent() {
    m_recent->clear();
    const QList<Doc::HistoryEntry> entries = Doc::ListHistory();
    if (entries.isEmpty()) {
        m_recent->addAction(QCoreApplication::translate("CMainDlg", "（无）"))->setEnabled(false);
        return;
    }
    for (qsizetype i = 0; i < entries.size() && i < kRecentShown; ++i) {
        const Doc::HistoryEntry& entry = entries[i];
        const QString text =
            QStringLiteral("%1  %2  %3")
                .arg(entry.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     FamilyName(entry.family), entry.port);
        const QString path = entry.path;
        connect(m_recent->addAction(text), &QAction::triggered, this,
                [this, path] { OpenFile(path); });
    }
}

// ---- Open and save.

void CDocumentDesk::OnOpen() {
    const std::optional<std::string> path = Prompts::Current().ChooseOpenFile(
        {QCoreApplication::translate("CMainDlg", "打开设置文件").toStdString(),
         Tr(kDocumentFilter).toStdString(), "", "json"});
    if (path) {
        OpenFile(QString::fromStdString(*path));
    }
}

bool CDocumentDesk::OpenFile(const QString& path) {
    CRadioSession& session = m_window.Session();
    if (session.Writing() || session.Reading()) {
        return false;
    }
    const bool english = English();
    const WholeFile::ReadResult file = WholeFile::Read(path);
    if (file.failure == WholeFile::ReadFailure::CannotOpen ||
        file.failure == WholeFile::ReadFailure::CannotRead) {
        Tell((english ? QStringLiteral("Cannot read the settings file %1: %2")
                      : QStringLiteral("无法读取设置文件 %1：%2"))
                 .arg(path, file.reason));
        return false;
    }
    SettingsDocument document;
    const QStringList problems =
        file.failure == WholeFile::ReadFailure::TooLarge
            ? QStringList{english ? QStringLiteral("the file is larger than 1 MiB")
                                  : QStringLiteral("文件大于 1 MiB")}
            : SettingsFromJson(file.bytes, &document);
    if (!problems.isEmpty()) {
        Tell((english ? QStringLiteral("The settings file %1 is not valid:\n%2")
                      : QStringLiteral("设置文件 %1 有误：\n%2"))
                 .arg(path, Lines(problems, english, kProblemsNamed)));
        return false;
    }

    // The page showing goes as its exit button would take it (a radio leaves its command mode).
    if (CSettingsPage* page = ShowingPage(); page != nullptr && !page->OnExitSettings()) {
        return false;
    }
    if (session.PortOpen()) {
        return false; // a road is under way; it keeps the window
    }
    m_offlineSet.clear();
    CPages& pages = m_window.Pages();
    // A power chosen on a QX page before does not go into a write of what the file holds.
    pages.qxPowerEdited = false;
    for (CSettingsPage* page : {pages.orvPage.data(), pages.qxPage.data()}) {
        if (page != nullptr) {
            page->hide();
        }
    }
    session.SetFamily(document.family);
    Of(document.family) = Filled{document, document};
    CSettingsPage* page = m_window.PresentSettingsPage(document.family, document.settings);
    page->SetOffline(true);
    m_window.Window()->hide();
    UpdateActions();
    return true;
}

std::optional<SettingsDocument> CDocumentDesk::WhatSetWouldWrite(CSettingsPage* page) {
    if (page == nullptr || page->WriteRunning()) {
        return std::nullopt;
    }
    const PageSetPlan plan = page->PrepareSetPlan();
    if (!plan.Writable()) {
        page->TellProblems(plan);
        return std::nullopt;
    }
    const RadioFamily family = page->Family();
    return family == FAMILY_ORV ? Doc::DocumentAfterWrite(plan.orv, Of(family).from)
                                : Doc::DocumentAfterWrite(plan.qx, Of(family).from);
}

void CDocumentDesk::OnSave() {
    const std::optional<SettingsDocument> document = WhatSetWouldWrite(ShowingPage());
    if (!document) {
        return;
    }
    const std::optional<std::string> path = Prompts::Current().ChooseSaveFile(
        {QCoreApplication::translate("CMainDlg", "保存设置文件").toStdString(),
         Tr(kDocumentFilter).toStdString(), "", "json"});
    if (!path) {
        return;
    }
    const QString name = QString::fromStdString(*path);
    const QString failure =
        WholeFile::Write(name, SettingsToJson(document->settings, document->family));
    if (!failure.isEmpty()) {
        Tell((English() ? QStringLiteral("Cannot save the settings file %1: %2")
                        : QStringLiteral("无法保存设置文件 %1：%2"))
                 .arg(name, failure));
    }
}

// ---- Review.

void CDocumentDesk::OnReview() {
    CSettingsPage* page = ShowingPage();
    const std::optional<SettingsDocument> will = WhatSetWouldWrite(page);
    if (!will) {
        return;
    }
    const QList<Doc::Difference> differences =
        Doc::CompareDocuments(Of(page->Family()).read, *will, false);
    CReviewDlg dialog(Doc::DifferenceLines(differences, English()), page);
    dialog.exec();
}

// ---- An offline page's Set.

void CDocumentDesk::ConnectThenSet(CSettingsPage& page) {
    if (m_window.PortFromCombo().isEmpty()) {
        Tell(English() ? QStringLiteral("Please choose a port on the home page first.")
                       : QStringLiteral("请先在首页选择串口。"));
        m_window.ShowHome();
        return;
    }
    m_offlineSet = &page;
    if (!m_window.StartRoad(page.Family())) {
        m_offlineSet.clear();
        return;
    }
    page.hide();
}

void CDocumentDesk::FinishOfflineRead(const RadioSnapshot& read) {
    CSettingsPage* page = m_offlineSet.data();
    m_offlineSet.clear();
    // The page keeps the values the user prepared; the read is what the write is judged against.
    Of(read.family).read = SettingsDocument{read.family, read.settings};
    page->SetOffline(false);
    page->Present();
    page->OnSet();
}

void CDocumentDesk::RoadEnded() {
    if (m_write.Running()) {
        m_write.Abandon();
        m_writing.clear();
    }
    if (CSettingsPage* page = m_offlineSet.data()) {
        // The connection did not come about: the page comes back with what the user prepared.
        m_offlineSet.clear();
        page->Present();
    }
}

// ---- A page's write.

bool CDocumentDesk::StartWrite(CSettingsPage& page, const PageSetPlan& plan) {
    const RadioFamily family = page.Family();
    if (!m_write.Start({family, plan.orv, plan.qx}, Of(family).read, VerifyChecked())) {
        return false;
    }
    m_writing = &page;
    return true;
}

void CDocumentDesk::WriteEnded(const Doc::WriteReport& report) {
    if (CReadingDlg* reading = m_window.Pages().readingDlg) {
        reading->hide();
    }
    CSettingsPage* page = m_writing.data();
    m_writing.clear();
    if (report.held) {
        Of(report.held->family).read = *report.held;
    }
    if (page == nullptr) {
        return;
    }
    page->show();
    page->raise();
    const bool english = English();
    page->OnWriteEnded({report.SaveSent(), report.Good(),
                        report.outcome == Doc::WriteOutcome::Refused,
                        report.Message(english, kDifferencesNamed)});
}

bool CDocumentDesk::TakeReadEnd(const RadioSnapshot& read) {
    if (m_offlineSet != nullptr) {
        FinishOfflineRead(read);
        return true;
    }
    return false;
}

void CDocumentDesk::PageFilled(RadioFamily family, const RadioSettings& read) {
    const SettingsDocument document{family, read};
    Of(family) = Filled{document, document};
}
