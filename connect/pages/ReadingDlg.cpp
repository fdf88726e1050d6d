#include "connect/pages/ReadingDlg.h"

#include "connect/RadioSession.h"
#include "ui_ReadingDlg.h"

#include <QProgressBar>

CReadingDlg::CReadingDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CReadingDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CReadingDlg::OnCancel);
    // The read takes long enough that its steps are worth seeing.
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setRange(0, 1);
    bar->setValue(0);
    m_ui->pageLayout->addWidget(bar);
    connect(&owner.Session(), &CRadioSession::readProgress, bar, [bar](int done, int total) {
        bar->setRange(0, total);
        bar->setValue(done);
    });
}

CReadingDlg::~CReadingDlg() = default;

void CReadingDlg::OnCancel() {
    Owner().ReturnHome();
}

void CReadingDlg::OnCaptionClose() {
    Owner().ReturnHome(&Msg::kReadStopped);
}
