#include "connect/pages/ReadingDlg.h"

#include "ui_ReadingDlg.h"

CReadingDlg::CReadingDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CReadingDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CReadingDlg::OnCancel);
}

CReadingDlg::~CReadingDlg() = default;

void CReadingDlg::OnCancel() {
    Owner().ReturnHome();
}

void CReadingDlg::OnCaptionClose() {
    Owner().ReturnHome(&Msg::kReadStopped);
}
