#include "app/AboutDlg.h"

#include "ui_AboutDlg.h"

#include "base/Version.h"

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_ui->iconLabel->setPixmap(icon.pixmap(32, 32));
    // The form holds the translated text with a place for the version the build was made from.
    m_ui->versionLabel->setText(m_ui->versionLabel->text().arg(QLatin1String(kOrvconfVersion)));
    m_ui->homeLabel->setText(QLatin1String(kOrvconfHomepage));
}

CAboutDlg::~CAboutDlg() = default;
