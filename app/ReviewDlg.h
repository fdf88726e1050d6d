#pragma once
// "查看更改": what Set would change on the radio, one line per register or channel row, or that
// nothing would change.

#include <QDialog>
#include <QStringList>

class CReviewDlg : public QDialog {
    Q_OBJECT
public:
    CReviewDlg(const QStringList& changes, QWidget* parent);
};
