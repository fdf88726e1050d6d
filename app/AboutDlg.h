#pragma once
// The about dialog: the program's name, version, licence and home page.

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}
class QIcon;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(const QIcon& icon, QWidget* parent);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};
