#include "app/Screenshots.h"

#include "app/AboutDlg.h"
#include "app/Language.h"
#include "app/MainDlg.h"
#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SoftDiagDlg.h"
#include "ui_MainDlg.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include <cstdio>

namespace {

class CShooter {
public:
    CShooter(const QDir& folder, const QString& language) : m_folder(folder), m_lang(language) {}

    // The window's client area under a plain caption bar, as the desktop would frame it.
    void Shoot(QWidget* window, const QString& name, bool captionBar = true) {
        window->ensurePolished();
        window->adjustSize();
        const QPixmap client = window->grab();
        const int bar = captionBar ? 26 : 0;
        QImage image(client.width() + 2, client.height() + bar + 2, QImage::Format_RGB32);
        image.fill(QColor(90, 90, 90));
        QPainter p(&image);
        if (captionBar) {
            p.fillRect(QRect(1, 1, client.width(), bar), QColor(44, 92, 160));
            const QIcon icon = window->windowIcon();
            int textLeft = 8;
            if (!icon.isNull()) {
                p.drawPixmap(6, 1 + (bar - 16) / 2, icon.pixmap(16, 16));
                textLeft = 28;
            }
            p.setPen(Qt::white);
            p.setFont(window->font());
            p.drawText(QRect(textLeft, 1, client.width() - textLeft - 30, bar),
                       Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
            p.drawText(QRect(client.width() - 24, 1, 20, bar), Qt::AlignCenter,
                       QStringLiteral("×"));
        }
        p.drawPixmap(1, 1 + bar, client);
        p.end();
        const QString file = m_folder.filePath(m_lang + QLatin1Char('_') + name + ".png");
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            m_failed = true;
        }
    }

    bool Failed() const { return m_failed; }

private:
    QDir m_folder;
    QString m_lang;
    bool m_failed = false;
};

void ShootMessage(CShooter& shooter, const QString& name, const Bilingual& message, bool english) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMessageCaption),
                    QString::fromUtf8(message.In(english)), QMessageBox::Ok);
    box.show();
    shooter.Shoot(&box, name);
    box.hide();
}

} // namespace

// Draws the windows of one language; a friend of the main window, to pick its port and menu.
class CScreenshots {
public:
    static bool ShootLanguage(const QDir& folder, bool english);
};

bool CScreenshots::ShootLanguage(const QDir& folder, bool english) {
    if (!Language::UseEnglishForms(english)) {
        std::fprintf(stderr, "the English translation cannot be loaded\n");
        return false;
    }
    CShooter shooter(folder, english ? QStringLiteral("en") : QStringLiteral("zh"));

    CMainDlg main;
    main.SetEnglish(english);
    main.FillPortCombo(
        {QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0"), QStringLiteral("pts/4")});
    main.m_portCombo->setCurrentIndex(1);
    main.m_portName = main.PortFromCombo();
    main.show();
    shooter.Shoot(&main, QStringLiteral("102_home"));

    QMenu* menu = main.m_ui->languageMenu;
    menu->adjustSize();
    shooter.Shoot(menu, QStringLiteral("129_language_menu"), false);

    CAboutDlg about(main.windowIcon(), &main);
    about.show();
    shooter.Shoot(&about, QStringLiteral("100_about"));
    about.hide();

    CLinkModeDlg::ReleaseInstance(); // made again in the language in force
    CLinkModeDlg& linkMode = CLinkModeDlg::Instance();
    linkMode.show();
    shooter.Shoot(&linkMode, QStringLiteral("162_link_mode"));
    linkMode.hide();
    CLinkModeDlg::ReleaseInstance();

    main.hide();
    {
        CPowerOnWaitDlg wait(main);
        wait.Present();
        wait.Stop();
        wait.OnTick(27);
        shooter.Shoot(&wait, QStringLiteral("131_power_on_wait"), false);
        wait.OnTimedOut(); // buttons enabled, as after a time-out
        wait.OnTick(0);
        shooter.Shoot(&wait, QStringLiteral("131_power_on_wait_timed_out"), false);
        wait.hide();
    }
    {
        CNoRadioDlg noRadio(main);
        noRadio.Present();
        shooter.Shoot(&noRadio, QStringLiteral("132_no_radio"), false);
        noRadio.hide();
    }
    {
        CConfigKeyDlg configKey(main);
        configKey.Present();
        configKey.Stop();
        configKey.OnTick(7);
        shooter.Shoot(&configKey, QStringLiteral("137_config_key"));
        configKey.hide();
    }
    {
        CSoftDiagDlg softDiag(main);
        softDiag.Present();
        softDiag.Stop();
        softDiag.OnAttempt(4, 19200, true);
        shooter.Shoot(&softDiag, QStringLiteral("134_soft_diagnosis"));
        softDiag.hide();
    }
    {
        CReadingDlg reading(main);
        reading.Present();
        shooter.Shoot(&reading, QStringLiteral("147_reading"));
        reading.hide();
    }
    {
        CSavingDlg saving(main);
        saving.Present();
        shooter.Shoot(&saving, QStringLiteral("149_saving"));
        saving.hide();
    }

    ShootMessage(shooter, QStringLiteral("msg_no_port"), Msg::kNoPort, english);
    ShootMessage(shooter, QStringLiteral("msg_no_answer"), Msg::kNoAnswer, english);
    ShootMessage(shooter, QStringLiteral("msg_port_lost"), Msg::kPortLost, english);
    ShootMessage(shooter, QStringLiteral("msg_read_stopped"), Msg::kReadStopped, english);
    ShootMessage(shooter, QStringLiteral("msg_save_stopped"), Msg::kSaveStopped, english);
    return !shooter.Failed();
}

int RenderScreenshots(const QString& folder) {
    const QDir dir(folder);
    if (!QDir().mkpath(dir.absolutePath())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const bool ok =
        CScreenshots::ShootLanguage(dir, false) && CScreenshots::ShootLanguage(dir, true);
    Language::UseEnglishForms(false);
    return ok ? 0 : 1;
}
