#include "app/AboutDlg.h"

#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_ui->iconLabel->setPixmap(icon.pixmap(32, 32));
}

CAboutDlg::~CAboutDlg() = default;
