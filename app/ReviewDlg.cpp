#include "app/ReviewDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CReviewDlg::CReviewDlg(const QStringList& changes, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("reviewDlg"));
    setWindowTitle(tr("查看更改"));
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(changes.isEmpty() ? tr("设置将不会改变电台中的任何内容。")
                                                 : tr("设置将改变以下内容："),
                               this);
    summary->setObjectName(QStringLiteral("summaryLabel"));
    layout->addWidget(summary);
    if (!changes.isEmpty()) {
        auto* list = new QListWidget(this);
        list->setObjectName(QStringLiteral("changesList"));
        list->addItems(changes);
        list->setMinimumSize(480, 240);
        // A list is named for assistive technology by its own name, not by a label.
        list->setAccessibleName(summary->text());
        layout->addWidget(list);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    // Room for the caption beside the title-bar buttons when there is little to list.
    setMinimumWidth(360);
}
