#include "connect/pages/NoRadioDlg.h"

#include "connect/pages/Pages.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "ui_NoRadioDlg.h"

CNoRadioDlg::CNoRadioDlg(IPageOwner& owner)
    : CPage(owner, false), m_ui(std::make_unique<Ui::CNoRadioDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->backButton, &QPushButton::clicked, this, &CNoRadioDlg::OnBack);
}

CNoRadioDlg::~CNoRadioDlg() = default;

void CNoRadioDlg::OnBack() {
    hide();
    if (CPowerOnWaitDlg* wait = Owner().Pages().powerOnWaitDlg) {
        wait->show();
        wait->raise();
        wait->activateWindow();
    } else {
        // The wait page is gone (it should not be): the home page is the way on.
        Owner().ReturnHome();
    }
}
