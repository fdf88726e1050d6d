#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/DialogUnits.h"
#include "app/DocumentDesk.h"
#include "app/Language.h"
#include "app/PortCombo.h"
#include "app/PortDiagnosis.h"
#include "app/TrafficLogMenu.h"
#include "base/Prompts.h"
#include "base/Timing.h"
#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/Resources.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SettingsPage.h"
#include "connect/pages/SoftDiagDlg.h"
#include "exchange/ReadFailureText.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxSettingsDlg.h"
#include "serial/PortEnumerator.h"
#include "ui_MainDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <utility>

namespace {

constexpr int kPortBaud = 9600;
// The pauses around the hiding of the reading page at the end of a read.
constexpr int kAfterReadMs = 200;
constexpr int kAfterHideMs = 100;

const Bilingual kNoInstructions{"找不到使用说明文件。", "The instructions file cannot be found."};

// The port box is never too narrow for a name like this one, even with nothing listed.
constexpr const char* kWidePortName = "ttyUSB10";

} // namespace

CMainDlg::CMainDlg(QWidget* parent) : QMainWindow(parent), m_ui(std::make_unique<Ui::CMainDlg>()) {
    InitOrvconfResources();
    m_ui->setupUi(this);
    m_portCombo = m_ui->portCombo;
    m_qxButton = m_ui->qxButton;
    m_orvButton = m_ui->orvButton;
    // The box's edit field takes the focus: it is announced by the box's label.
    m_portCombo->lineEdit()->setAccessibleName(m_ui->portLabel->text());
    m_icon.addFile(QStringLiteral(":/images/icon128-16.png"));
    m_icon.addFile(QStringLiteral(":/images/icon128-32.png"));
    m_icon.addFile(QStringLiteral(":/images/icon128.png"));

    connect(m_portCombo, &QComboBox::currentIndexChanged, this, &CMainDlg::OnPortSelChange);
    // A typed name or device path is a choice as good as a listed one.
    connect(m_portCombo, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!text.trimmed().isEmpty()) {
            m_orvButton->setEnabled(true);
            m_qxButton->setEnabled(true);
        }
    });
    // Enter presses the focused family button, as in the dialogs.
    m_orvButton->setAutoDefault(true);
    m_qxButton->setAutoDefault(true);
    connect(m_orvButton, &QPushButton::clicked, this, &CMainDlg::OnOrvButton);
    connect(m_qxButton, &QPushButton::clicked, this, &CMainDlg::OnQxButton);
    connect(m_ui->aboutAction, &QAction::triggered, this, &CMainDlg::OnAbout);
    connect(m_ui->instructionsAction, &QAction::triggered, this, &CMainDlg::OnInstructions);
    connect(m_ui->chineseAction, &QAction::triggered, this, &CMainDlg::OnChinese);
    connect(m_ui->englishAction, &QAction::triggered, this, &CMainDlg::OnEnglish);
    // Adapters plugged in and radios started after the start are found when the list opens.
    connect(m_ui->portCombo, &CPortCombo::aboutToShowPopup, this, &CMainDlg::RefreshPorts);
    PortDiagnosis::AddEntry(*m_portCombo, [this] { return m_english; });
    m_documents = new CDocumentDesk(*this);
    m_documents->AddMenuTo(*m_ui->menu129);
    // In the File menu, where the settings pages reach it too; the home page's bar has no room
    // for it in English.
    m_documents->Menu().addSeparator();
    TrafficLogMenu::Install(*this, m_documents->Menu(), m_session, [this] { return m_english; });

    connect(&m_session, &CRadioSession::readStarted, this, &CMainDlg::OnReadStarted);
    connect(&m_session, &CRadioSession::readFinished, this, &CMainDlg::OnReadFinished);
    connect(&m_session, &CRadioSession::noAnswer, this, &CMainDlg::OnNoAnswer);
    connect(&m_session, &CRadioSession::replyRejected, this, &CMainDlg::OnReplyRejected);
    connect(&m_session, &CRadioSession::portLost, this, &CMainDlg::OnPortLost);
    connect(&m_session, &CRadioSession::readFailed, this, &CMainDlg::OnReadFailed);

    m_afterRead.setSingleShot(true);
    connect(&m_afterRead, &QTimer::timeout, this, [this] {
        if (m_pages.readingDlg != nullptr) {
            m_pages.readingDlg->hide();
        }
        m_session.Hold(kAfterHideMs);
        m_afterHide.start(Timing::ScaledMs(kAfterHideMs));
    });
    m_afterHide.setSingleShot(true);
    connect(&m_afterHide, &QTimer::timeout, this, &CMainDlg::OnReadEnd);

    InitDialog();
}

CMainDlg::~CMainDlg() {
    // Pages first, while the session they use still exists; the port is closed by the session.
    m_pages.DeleteAll();
    for (CPage* page : findChildren<CPage*>(Qt::FindDirectChildrenOnly)) {
        page->Stop();
        delete page;
    }
}

void CMainDlg::InitDialog() {
    setWindowIcon(m_icon);
    m_orvButton->setEnabled(false);
    m_qxButton->setEnabled(false);
    FillPortCombo(FreePorts());
    m_session.DiscardReceived();
    m_portName.clear();
    m_radioFamily = FAMILY_QX;
    m_session.SetFamily(m_radioFamily);
    m_english = false;

    // Centred on the screen, as dialogs start.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

QList<PortInfo> CMainDlg::FreePorts() {
    QList<PortInfo> ports = CPortEnumerator::Enumerate();
    ports.removeIf([](const PortInfo& port) { return !port.free; });
    return ports;
}

void CMainDlg::FillPortCombo(const QStringList& names) {
    QList<PortInfo> ports;
    for (const QString& name : names) {
        ports.append(PortInfo{name, QString(), true});
    }
    FillPortCombo(ports);
}

void CMainDlg::ListPorts(const QList<PortInfo>& ports) {
    m_portCombo->clear();
    for (const PortInfo& port : ports) {
        m_portCombo->addItem(port.name);
        m_portCombo->setItemData(m_portCombo->count() - 1, port.description,
                                 CPortCombo::kDescriptionRole);
    }
}

void CMainDlg::FillPortCombo(const QList<PortInfo>& ports) {
    const QSignalBlocker blocker(m_portCombo);
    ListPorts(ports);
    m_portCombo->setCurrentIndex(-1);
    m_portCombo->clearEditText();
    m_orvButton->setEnabled(false);
    m_qxButton->setEnabled(false);
    PlaceControls();
}

void CMainDlg::PlaceControls() {
    QWidget* client = centralWidget();
    const DialogUnits du = DialogUnits::Of(client->font());

    // A button keeps its place and grows to the right when its text needs more room.
    const auto placeButton = [&du](QWidget* w, int x, int y, int cx, int cy) {
        QRect r = du.Rect(x, y, cx, cy);
        r.setWidth(std::max(r.width(), w->sizeHint().width()));
        w->setGeometry(r);
    };
    const auto placeNatural = [&du](QWidget* w, int x, int y) {
        w->setGeometry(QRect(QPoint(du.X(x), du.Y(y)), w->sizeHint()));
    };

    placeButton(m_orvButton, 100, 51, 131, 20);
    placeButton(m_qxButton, 101, 84, 131, 20);
    placeNatural(m_ui->orvBitmap, 74, 51);
    placeNatural(m_ui->qxBitmap, 74, 81);
    placeNatural(m_ui->portLabel, 7, 163);

    // The drop-down height of the template covers its list; the field itself is one line high.
    // It is as wide as the longest port name, up to the width of the home page.
    m_portCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QStyleOptionComboBox option;
    option.initFrom(m_portCombo);
    option.editable = m_portCombo->isEditable();
    const QSize wideName(m_portCombo->fontMetrics().horizontalAdvance(QLatin1String(kWidePortName)),
                         m_portCombo->fontMetrics().height());
    const int least = std::max(
        du.X(48), m_portCombo->style()
                      ->sizeFromContents(QStyle::CT_ComboBox, &option, wideName, m_portCombo)
                      .width());
    const int most = du.X(kClientWidthDlu - 5 - 7);
    QRect combo(QPoint(du.X(5), du.Y(178)), m_portCombo->sizeHint());
    combo.setWidth(std::clamp(combo.width(), least, most));
    // The box fits itself to its contents again a moment after they change: within these bounds.
    m_portCombo->setMinimumWidth(least);
    m_portCombo->setMaximumWidth(most);
    m_portCombo->setGeometry(combo);

    // The client area holds every control with the template's margin to its right and bottom.
    QSize client_size(du.X(kClientWidthDlu), du.Y(kClientHeightDlu));
    for (QWidget* w : {static_cast<QWidget*>(m_orvButton), static_cast<QWidget*>(m_qxButton),
                       static_cast<QWidget*>(m_portCombo)}) {
        client_size = client_size.expandedTo(
            QSize(w->geometry().right() + 1 + du.X(7), w->geometry().bottom() + 1 + du.Y(7)));
    }
    client->setFixedSize(client_size);
    adjustSize();
    setFixedSize(sizeHint());
}

void CMainDlg::OnInstructions() {
    QString found;
    for (const QString& place :
         Language::InstructionsCandidates(QCoreApplication::applicationDirPath())) {
        if (QFileInfo(place).isFile()) {
            found = place;
            break;
        }
    }
    if (found.isEmpty()) {
        Tell(kNoInstructions);
        return;
    }
    // The path goes to the editor whole, blanks and all.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(found))) {
        Prompts::Current().ShowMessage(kMessageCaption, "创建进程失败", PromptIcon::Warning);
    }
}

void CMainDlg::OnChinese() {
    if (ConfirmLeavePages() && m_chooseLanguage) {
        m_chooseLanguage(false);
    }
}

void CMainDlg::OnEnglish() {
    if (ConfirmLeavePages() && m_chooseLanguage) {
        m_chooseLanguage(true);
    }
}

bool CMainDlg::ConfirmLeavePages() {
    for (CSettingsPage* page : {m_pages.orvPage.data(), m_pages.qxPage.data()}) {
        if (page != nullptr && !page->ConfirmLeave()) {
            return false;
        }
    }
    return true;
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (!ConfirmLeavePages()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainDlg::MarkLanguage(bool english) {
    m_ui->chineseAction->setChecked(!english);
    m_ui->englishAction->setChecked(english);
}

void CMainDlg::RefreshPorts() {
    if (m_session.PortOpen()) {
        return; // probing would disturb the connection in progress
    }
    const QString chosen = m_portCombo->currentText();
    {
        const QSignalBlocker blocker(m_portCombo);
        ListPorts(FreePorts());
        // The user's choice stays, listed or typed.
        m_portCombo->setCurrentIndex(m_portCombo->findText(chosen));
        m_portCombo->setEditText(chosen);
    }
    PlaceControls();
}

QString CMainDlg::PortFromCombo() const {
    return m_portCombo->currentText().trimmed();
}

void CMainDlg::Tell(const Bilingual& message) {
    Prompts::Current().ShowMessage(kMessageCaption, message.In(m_english), PromptIcon::Warning);
}

void CMainDlg::OnPortSelChange(int index) {
    if (index >= 0) {
        m_orvButton->setEnabled(true);
        m_qxButton->setEnabled(true);
    }
}

bool CMainDlg::StartRoad(RadioFamily family) {
    m_replyRejected = false;
    m_radioFamily = family;
    m_session.SetFamily(m_radioFamily);
    if (family == FAMILY_ORV) {
        m_portName = PortFromCombo();
        m_session.SetPortName(m_portName);
        if (!m_session.OpenPort(kPortBaud)) {
            Tell(Msg::kNoPort);
            PortDiagnosis::TellWhyNotOpened(m_portName, m_english);
            return false;
        }
        hide();
        CPages::Put(m_pages.powerOnWaitDlg, new CPowerOnWaitDlg(*this))->Present();
        return true;
    }
    if (m_pages.LinkModeDlg().exec() != QDialog::Accepted) {
        return false;
    }
    m_portName = PortFromCombo();
    m_session.SetPortName(m_portName);
    if (m_pages.linkMode == QxLinkMethod::ConfigKey) {
        if (!m_session.OpenPort(kPortBaud)) {
            // This road has always told it in Chinese only.
            Tell(Bilingual{Msg::kNoPort.zh, Msg::kNoPort.zh});
            PortDiagnosis::TellWhyNotOpened(m_portName, m_english);
            return false;
        }
        hide();
        CPages::Put(m_pages.configKeyDlg, new CConfigKeyDlg(*this))->Present();
    } else {
        // The search opens the port itself, at each rate it tries.
        hide();
        CPages::Put(m_pages.softDiagDlg, new CSoftDiagDlg(*this))->Present();
    }
    return true;
}

void CMainDlg::OnAbout() {
    CAboutDlg about(m_icon, this);
    about.exec();
}

void CMainDlg::ShowHome() {
    showNormal();
    raise();
    activateWindow();
    m_documents->RoadEnded();
}

void CMainDlg::PresentReadingPage() {
    CPages::Put(m_pages.readingDlg, new CReadingDlg(*this))->Present();
}

void CMainDlg::OnReadStarted(RadioFamily family) {
    // One road at a time: once the read runs, no countdown or search goes on behind it. After
    // the procedures had their say on this start answer (one may name the wrong family).
    QTimer::singleShot(0, this, [this] {
        if (!m_session.Reading()) {
            return;
        }
        for (CPage* page : {static_cast<CPage*>(m_pages.powerOnWaitDlg.data()),
                            static_cast<CPage*>(m_pages.noRadioDlg.data()),
                            static_cast<CPage*>(m_pages.configKeyDlg.data()),
                            static_cast<CPage*>(m_pages.softDiagDlg.data())}) {
            if (page != nullptr) {
                page->Stop();
                page->hide();
            }
        }
    });
    // An ORV read is announced by the power-on page, which shows the reading page itself.
    if (family == FAMILY_QX || m_pages.readingDlg == nullptr || !m_pages.readingDlg->isVisible()) {
        PresentReadingPage();
    }
}

void CMainDlg::OnReadFinished(const RadioSnapshot& read) {
    m_documents->KeepRead(read);
    if (m_documents->WriteRunning()) {
        return; // the radio read back after a write: the write's road takes it from here
    }
    m_lastRead = read;
    m_session.Hold(kAfterReadMs);
    m_afterRead.start(Timing::ScaledMs(kAfterReadMs));
}

void CMainDlg::OnReadEnd() {
    if (m_documents->TakeReadEnd(m_lastRead)) {
        return;
    }
    m_documents->PageFilled(m_lastRead.family, m_lastRead.settings);
    PresentSettingsPage(m_lastRead.family, m_lastRead.settings);
}

CSettingsPage* CMainDlg::PresentSettingsPage(RadioFamily family, const RadioSettings& settings) {
    if (family == FAMILY_ORV) {
        COrvSettingsDlg* page = CPages::Put(m_pages.orvPage, new COrvSettingsDlg(*this, settings));
        m_documents->AttachTo(*page);
        page->Present();
        page->FillFromSettings();
        page->RebuildChannelList();
        page->MarkUnchanged();
        return page;
    }
    CQxSettingsDlg* page = CPages::Put(m_pages.qxPage, new CQxSettingsDlg(*this, settings));
    m_documents->AttachTo(*page);
    page->Present();
    page->FillFromSettings();
    page->MarkUnchanged();
    return page;
}

void CMainDlg::ConnectThenSet(CSettingsPage& page) {
    m_documents->ConnectThenSet(page);
}

bool CMainDlg::StartWrite(CSettingsPage& page, const PageSetPlan& plan) {
    return m_documents->StartWrite(page, plan);
}

void CMainDlg::OnNoAnswer() {
    const bool rejected = std::exchange(m_replyRejected, false);
    // A write that falls silent (or its read-back) keeps its settings page and what the user
    // entered on it; the write's road tells the user.
    if (m_documents->WriteRunning()) {
        return;
    }
    if (!rejected) {
        ReturnHome(&Msg::kNoAnswer);
        return;
    }
    const std::string zh = std::string(Msg::kReplyTooLong.zh) + "\n" + Msg::kNoAnswer.zh;
    const std::string en = std::string(Msg::kReplyTooLong.en) + "\n" + Msg::kNoAnswer.en;
    const Bilingual message{zh.c_str(), en.c_str()};
    ReturnHome(&message);
}

void CMainDlg::OnReadFailed(ReadFailure why, const QString& command, const QString& reply) {
    if (m_documents->WriteRunning()) {
        return; // the read-back after a write failed: the write's road tells the user
    }
    const std::string raw = reply.toLatin1().toStdString();
    const std::string zh = ReadFailureText(why, command.toStdString(), raw, false);
    const std::string en = ReadFailureText(why, command.toStdString(), raw, true);
    const Bilingual message{zh.c_str(), en.c_str()};
    ReturnHome(&message);
}

void CMainDlg::OnPortLost(const QString& /*reason*/) {
    ReturnHome(&Msg::kPortLost);
}

void CMainDlg::ReturnHome(const Bilingual* why) {
    if (m_returningHome) {
        return;
    }
    m_returningHome = true;
    m_replyRejected = false;
    m_afterRead.stop();
    m_afterHide.stop();
    // Nothing may go on behind the message: every procedure stopped, no write left half done,
    // the port closed.
    m_pages.StopAndHideAll();
    m_session.ClosePort();
    ShowHome();
    if (why != nullptr) {
        Tell(*why);
    }
    m_returningHome = false;
}
