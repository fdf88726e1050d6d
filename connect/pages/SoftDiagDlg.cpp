#include "connect/pages/SoftDiagDlg.h"

#include "connect/RadioSession.h"
#include "exchange/RadioSettings.h"
#include "exchange/RateTables.h"
#include "ui_SoftDiagDlg.h"

CSoftDiagDlg::CSoftDiagDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CSoftDiagDlg>()), m_search(owner.Session()) {
    m_ui->setupUi(this);
    connect(&m_search, &CSoftDiagnosis::attempt, this, &CSoftDiagDlg::OnAttempt);
    connect(&m_search, &CSoftDiagnosis::connected, this, &CSoftDiagDlg::OnConnected);
    connect(&m_search, &CSoftDiagnosis::exhausted, this, &CSoftDiagDlg::OnExhausted);
    connect(&m_search, &CSoftDiagnosis::portUnavailable, this, &CSoftDiagDlg::OnPortUnavailable);
    connect(&owner.Session(), &CRadioSession::readStarted, this, [this](RadioFamily family) {
        if (family == FAMILY_QX) {
            m_answered = true;
        }
    });
}

CSoftDiagDlg::~CSoftDiagDlg() = default;

void CSoftDiagDlg::OnInitDialog() {
    m_portText = Owner().PortName();
    m_rateText = QString::number(RateTables::kSoftDiagRates[0]);
    UpdateData();
    m_answered = false;
    m_search.Start();
}

void CSoftDiagDlg::Stop() {
    m_search.Stop();
}

void CSoftDiagDlg::UpdateData() {
    m_ui->portText->setText(m_portText);
    m_ui->rateText->setText(m_rateText);
}

void CSoftDiagDlg::OnAttempt(int /*rateIndex*/, int baud, bool /*opened*/) {
    m_rateText = QString::number(baud);
    UpdateData();
}

void CSoftDiagDlg::OnConnected() {
    // The reading page takes over.
    hide();
}

void CSoftDiagDlg::OnExhausted() {
    hide();
    Tell(Msg::kNoConnect);
    // The port stays open while the message is up: a late answer at the last rate still starts
    // the read, and then the reading page, not the home page, is where the user goes on.
    if (m_answered) {
        return;
    }
    m_search.Finish();
    Owner().ShowHome();
}

void CSoftDiagDlg::OnPortUnavailable() {
    hide();
    Tell(Msg::kNoPort);
    Owner().ShowHome();
}

void CSoftDiagDlg::OnCaptionClose() {
    Owner().ReturnHome();
}
