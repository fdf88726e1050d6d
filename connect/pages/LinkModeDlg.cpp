#include "connect/pages/LinkModeDlg.h"

#include "connect/pages/Resources.h"
#include "ui_LinkModeDlg.h"

CLinkModeDlg::CLinkModeDlg(QxLinkMethod& choice)
    : m_choice(choice), m_ui(std::make_unique<Ui::CLinkModeDlg>()) {
    InitOrvconfResources();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon128-16.png")));
    connect(m_ui->powerOnRadio, &QRadioButton::clicked, this, &CLinkModeDlg::OnPowerOn);
    connect(m_ui->softDiagRadio, &QRadioButton::clicked, this, &CLinkModeDlg::OnSoftDiag);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CLinkModeDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CLinkModeDlg::reject);
}

CLinkModeDlg::~CLinkModeDlg() = default;

void CLinkModeDlg::showEvent(QShowEvent* event) {
    // The dialog always opens on the choice in force.
    (m_choice == QxLinkMethod::ConfigKey ? m_ui->powerOnRadio : m_ui->softDiagRadio)
        ->setChecked(true);
    QDialog::showEvent(event);
}

void CLinkModeDlg::OnPowerOn() {
    m_choice = QxLinkMethod::ConfigKey;
}

void CLinkModeDlg::OnSoftDiag() {
    m_choice = QxLinkMethod::SoftDiagnosis;
}

void CLinkModeDlg::accept() {
    m_choice =
        m_ui->powerOnRadio->isChecked() ? QxLinkMethod::ConfigKey : QxLinkMethod::SoftDiagnosis;
    QDialog::accept();
}
