#include "connect/pages/PowerOnWaitDlg.h"

#include "connect/RadioSession.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/Pages.h"
#include "ui_PowerOnWaitDlg.h"

CPowerOnWaitDlg::CPowerOnWaitDlg(IPageOwner& owner)
    : CPage(owner, false), m_ui(std::make_unique<Ui::CPowerOnWaitDlg>()),
      m_detector(owner.Session()) {
    m_ui->setupUi(this);
    m_redetectButton = m_ui->redetectButton;
    m_backButton = m_ui->backButton;
    connect(m_backButton, &QPushButton::clicked, this, &CPowerOnWaitDlg::OnBack);
    connect(m_redetectButton, &QPushButton::clicked, this, &CPowerOnWaitDlg::OnRedetect);
    connect(&m_detector, &CPowerOnDetector::tick, this, &CPowerOnWaitDlg::OnTick);
    connect(&m_detector, &CPowerOnDetector::timedOut, this, &CPowerOnWaitDlg::OnTimedOut);
    connect(&m_detector, &CPowerOnDetector::reopened, this, &CPowerOnWaitDlg::OnReopened);
    connect(&m_detector, &CPowerOnDetector::reopenFailed, this, &CPowerOnWaitDlg::OnReopenFailed);
    connect(&m_detector, &CPowerOnDetector::wrongFamily, this,
            [this] { Owner().ReturnHome(&Msg::kQxOnOrvButton); });
}

CPowerOnWaitDlg::~CPowerOnWaitDlg() = default;

void CPowerOnWaitDlg::OnInitDialog() {
    m_backButton->setEnabled(false);
    m_redetectButton->setEnabled(false);
    m_detector.Start();
}

void CPowerOnWaitDlg::Stop() {
    m_detector.Stop();
}

void CPowerOnWaitDlg::UpdateData() {
    m_ui->portText->setText(m_portText);
    m_ui->secondsText->setText(m_secondsText);
}

void CPowerOnWaitDlg::OnTick(int secondsShown) {
    m_portText = Owner().PortName();
    m_secondsText = QString::number(secondsShown);
    UpdateData();
}

void CPowerOnWaitDlg::OnTimedOut() {
    hide();
    CPages::Put(Owner().Pages().noRadioDlg, new CNoRadioDlg(Owner()))->Present();
    m_backButton->setEnabled(true);
    m_redetectButton->setEnabled(true);
}

void CPowerOnWaitDlg::OnReopened() {
    hide();
    Owner().PresentReadingPage();
}

void CPowerOnWaitDlg::OnReopenFailed() {
    Tell(Msg::kNoPort);
    hide();
    Owner().ShowHome();
}

void CPowerOnWaitDlg::OnBack() {
    hide();
    Owner().ShowHome();
    CRadioSession& session = Owner().Session();
    session.ClosePort();
    // The port rests a second before it can be opened again.
    session.Hold(1000);
}

void CPowerOnWaitDlg::OnRedetect() {
    m_backButton->setEnabled(false);
    m_redetectButton->setEnabled(false);
    m_detector.Redetect();
}
