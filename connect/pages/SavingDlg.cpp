#include "connect/pages/SavingDlg.h"

#include "connect/RadioSession.h"
#include "ui_SavingDlg.h"

#include <QProgressBar>
#include <QTimer>

CSavingDlg::CSavingDlg(IPageOwner& owner)
    : CPage(owner, true), m_ui(std::make_unique<Ui::CSavingDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CSavingDlg::OnCancel);
    // A write of every channel row takes a while; the bar follows the rows, then the registers.
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setRange(0, 1);
    bar->setValue(0);
    m_ui->pageLayout->addWidget(bar);
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, bar, [this, bar] {
        const CWriteSequence& write = Owner().Session().WriteSequence();
        if (!write.Running()) {
            return;
        }
        const int rows = write.Family() == FAMILY_ORV ? RadioSettings::kOrvProgramRows
                                                      : RadioSettings::kQxProgramRows;
        bar->setRange(0, rows + 1);
        switch (write.Phase()) {
        case WritePhase::Idle:
        case WritePhase::AwaitEcho:
            bar->setValue(0);
            break;
        case WritePhase::Programming:
            bar->setValue(write.ProgramIndex());
            break;
        case WritePhase::AwaitClose:
        case WritePhase::Registers:
            bar->setValue(rows);
            break;
        }
    });
    poll->start(50);
}

CSavingDlg::~CSavingDlg() = default;

void CSavingDlg::OnCancel() {
    Owner().ReturnHome();
}

void CSavingDlg::OnCaptionClose() {
    Owner().ReturnHome(&Msg::kSaveStopped);
}
