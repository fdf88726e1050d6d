#include "connect/pages/SavingDlg.h"

#include "ui_SavingDlg.h"

CSavingDlg::CSavingDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CSavingDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CSavingDlg::OnCancel);
}

CSavingDlg::~CSavingDlg() = default;

void CSavingDlg::OnCancel() {
    Owner().ReturnHome();
}

void CSavingDlg::OnCaptionClose() {
    Owner().ReturnHome(&Msg::kSaveStopped);
}
