#include "connect/pages/ConfigKeyDlg.h"

#include "ui_ConfigKeyDlg.h"

CConfigKeyDlg::CConfigKeyDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CConfigKeyDlg>()),
      m_connector(owner.Session()) {
    m_ui->setupUi(this);
    connect(&m_connector, &CConfigKeyConnector::tick, this, &CConfigKeyDlg::OnTick);
    connect(&m_connector, &CConfigKeyConnector::connected, this, &CConfigKeyDlg::OnConnected);
    connect(&m_connector, &CConfigKeyConnector::timedOut, this, &CConfigKeyDlg::OnTimedOut);
    connect(&m_connector, &CConfigKeyConnector::wrongFamily, this,
            [this] { Owner().ReturnHome(&Msg::kOrvOnQxButton); });
}

CConfigKeyDlg::~CConfigKeyDlg() = default;

void CConfigKeyDlg::OnInitDialog() {
    m_portText = Owner().PortName();
    m_connector.Start(); // shows the first value at once
}

void CConfigKeyDlg::Stop() {
    m_connector.Stop();
}

void CConfigKeyDlg::UpdateData() {
    m_ui->portText->setText(m_portText);
    m_ui->secondsText->setText(m_secondsText);
}

void CConfigKeyDlg::OnTick(int secondsShown) {
    m_secondsText = QString::number(secondsShown);
    UpdateData();
}

void CConfigKeyDlg::OnConnected() {
    // The reading page takes over.
    hide();
}

void CConfigKeyDlg::OnTimedOut() {
    // The connector has closed the port already.
    hide();
    Tell(Msg::kNoPower);
    Owner().ShowHome();
}

void CConfigKeyDlg::OnCaptionClose() {
    Owner().ReturnHome();
}
