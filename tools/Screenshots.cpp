// Draws every window of ORVCONF, in Chinese and in English, into PNG files for the
// documentation. A tool of its own: the program that users run knows nothing of it.

#include "app/AboutDlg.h"
#include "app/ConfApp.h"
#include "app/Language.h"
#include "app/MainDlg.h"
#include "app/ReviewDlg.h"
#include "connect/RadioSession.h"
#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SoftDiagDlg.h"
#include "document/Compare.h"
#include "orvpage/OrvPageLogic.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxSettingsDlg.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include <cstdio>
#include <iterator>

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

void ShootBox(CShooter& shooter, const QString& name, const std::string& text,
              QMessageBox::Icon icon = QMessageBox::Warning,
              QMessageBox::StandardButtons buttons = QMessageBox::Ok) {
    QMessageBox box(icon, QString::fromUtf8(kMessageCaption), QString::fromStdString(text),
                    buttons);
    box.show();
    shooter.Shoot(&box, name);
    box.hide();
}

void ShootMessage(CShooter& shooter, const QString& name, const Bilingual& message, bool english,
                  QMessageBox::Icon icon = QMessageBox::Warning) {
    ShootBox(shooter, name, message.In(english), icon);
}

// Set refused: two bad cells of the ORV list, told in one message.
void ShootSetProblems(CShooter& shooter, bool english) {
    std::vector<SetProblem> problems;
    for (const auto& [row, text] : {std::pair<std::size_t, const char*>(9, "409.9"),
                                    std::pair<std::size_t, const char*>(12, "433.125abc")}) {
        if (std::optional<SetProblem> problem = OrvPageLogic::CellProblem(row, text)) {
            problems.push_back(*problem);
        }
    }
    ShootBox(shooter, QStringLiteral("msg_set_problems"),
             CSettingsPage::ProblemsText(problems, english));
    ShootBox(shooter, QStringLiteral("msg_frequency_cell"), problems.front().PageText(english));
}

// The pages are drawn for a port chosen on the home page, without a radio behind it.
class CShotOwner : public IPageOwner {
public:
    CShotOwner(CMainDlg& main, bool english, const QString& port)
        : m_main(main), m_english(english), m_port(port) {}

    QWidget* PageParent() override { return &m_main; }
    CRadioSession& Session() override { return m_session; }
    CPages& Pages() override { return m_pages; }
    bool English() const override { return m_english; }
    QString PortName() const override { return m_port; }
    void ShowHome() override {}
    void PresentReadingPage() override {}
    void ReturnHome(const Bilingual*) override {}
    bool StartWrite(CSettingsPage&, const PageSetPlan&) override { return false; }

private:
    CMainDlg& m_main;
    CRadioSession m_session;
    CPages m_pages;
    bool m_english;
    QString m_port;
};

// An ORV radio as read: a few channels listed, slot 3, 19200 baud; BMK transparent 2FSK 9600
// (normal layout) or Trimtalk450S repeater (repeater layout).
void SampleOrvRadio(RadioSettings& s, bool repeater) {
    s = RadioSettings{};
    const char* const listed[] = {"433.125000", "433.125000", "434.250000", "434.250000",
                                  "410.000000", "411.500000", "",           "",
                                  "456.062500", "456.062500", "457.000000", "458.000000"};
    for (std::size_t i = 0; i < std::size(listed); ++i) {
        s.channels[i] = {std::to_string(i), listed[i], "25   KHz", "Rx&Tx"};
    }
    // Channel 16: the radio lists channel 61's frequency again in row 63.
    const char* const last[] = {"470.000000", "470.500000", "471.000000", "470.500000"};
    for (std::size_t i = 0; i < std::size(last); ++i) {
        s.channels[60 + i] = {std::to_string(60 + i), last[i], "25   KHz", "Rx&Tx"};
    }
    s.orv = repeater ? OrvRegisters{0, 2, 0, 5, 0, 0, 0, 0, "1"}
                     : OrvRegisters{0, 1, 0, 5, 0, 0, 0, 0, "12"};
    s.orvCurrentChannel = 3;
    s.orvPortRate = 5;
}

// The QX settings page as a read of a QX module leaves it: a Trimtalk base with a few channels in
// use.
void ShootQxPage(CShooter& shooter, IPageOwner& owner, bool english) {
    RadioSettings settings;
    settings.qx.s186 = 2;
    settings.qx.s101 = 0;
    settings.qx.s103 = 5;
    settings.qx.s125 = 1;
    settings.qx.s131 = 1;
    settings.qx.s132 = 1;
    settings.qx.s191 = 2;
    settings.qx.s192 = 2;
    settings.qx.s105 = 1;
    settings.qx.s108 = 30;
    settings.qx.s158 = 1;
    settings.qx.s102 = 7;
    settings.qx.s110 = 1;
    settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    settings.channels[1] = {"1", "438.500000", "12.5 KHz", "Rx&Tx"};
    settings.channels[2] = {"2", "445.006250", "6.25 KHz", "Rx"};
    settings.channels[3] = {"3", "470.000000", "25   KHz", "Tx"};
    CQxSettingsDlg page(owner, settings);
    page.Present();
    page.FillFromSettings();
    shooter.Shoot(&page, QStringLiteral("153_qx_settings"));

    // What the review shows after a few changes on the page.
    const SettingsDocument was{FAMILY_QX, settings};
    SettingsDocument will = was;
    will.settings.qx.s108 = 20;
    will.settings.channels[1].frequency = "438.525000";
    will.settings.channels[3] = {};
    CReviewDlg review(Doc::DifferenceLines(Doc::CompareDocuments(was, will, false), english),
                      &page);
    review.show();
    shooter.Shoot(&review, QStringLiteral("review_changes"));
    review.hide();
    page.hide();
}

// Draws the windows of one language.
bool ShootLanguage(CTranslations& translations, const QDir& folder, bool english) {
    if (!translations.UseEnglishForms(english)) {
        std::fprintf(stderr, "the English translation cannot be loaded\n");
        return false;
    }
    CShooter shooter(folder, english ? QStringLiteral("en") : QStringLiteral("zh"));

    CMainDlg main;
    main.SetEnglish(english);
    main.FillPortCombo(
        {QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0"), QStringLiteral("pts/4")});
    QComboBox* combo = main.findChild<QComboBox*>(QStringLiteral("portCombo"));
    QMenu* menu = main.findChild<QMenu*>(QStringLiteral("languageMenu"));
    if (combo == nullptr || menu == nullptr) {
        std::fprintf(stderr, "the home page has no port combo or language menu\n");
        return false;
    }
    combo->setCurrentIndex(1);
    CShotOwner owner(main, english, combo->currentText());
    main.show();
    shooter.Shoot(&main, QStringLiteral("102_home"));

    menu->adjustSize();
    shooter.Shoot(menu, QStringLiteral("129_language_menu"), false);
    if (QMenu* file = main.findChild<QMenu*>(QStringLiteral("fileMenu"))) {
        file->adjustSize();
        shooter.Shoot(file, QStringLiteral("file_menu"), false);
    }

    CAboutDlg about(main.windowIcon(), &main);
    about.show();
    shooter.Shoot(&about, QStringLiteral("100_about"));
    about.hide();

    {
        QxLinkMethod choice = QxLinkMethod::SoftDiagnosis;
        CLinkModeDlg linkMode(choice);
        linkMode.show();
        shooter.Shoot(&linkMode, QStringLiteral("162_link_mode"));
        linkMode.hide();
    }

    main.hide();
    {
        CPowerOnWaitDlg wait(owner);
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
        CNoRadioDlg noRadio(owner);
        noRadio.Present();
        shooter.Shoot(&noRadio, QStringLiteral("132_no_radio"), false);
        noRadio.hide();
    }
    {
        CConfigKeyDlg configKey(owner);
        configKey.Present();
        configKey.Stop();
        configKey.OnTick(7);
        shooter.Shoot(&configKey, QStringLiteral("137_config_key"));
        configKey.hide();
    }
    {
        CSoftDiagDlg softDiag(owner);
        softDiag.Present();
        softDiag.Stop();
        softDiag.OnAttempt(4, 19200, true);
        shooter.Shoot(&softDiag, QStringLiteral("134_soft_diagnosis"));
        softDiag.hide();
    }
    {
        CReadingDlg reading(owner);
        reading.Present();
        shooter.Shoot(&reading, QStringLiteral("147_reading"));
        reading.hide();
    }
    {
        CSavingDlg saving(owner);
        saving.Present();
        shooter.Shoot(&saving, QStringLiteral("149_saving"));
        saving.hide();
    }

    for (const bool repeater : {false, true}) {
        RadioSettings sample;
        SampleOrvRadio(sample, repeater);
        COrvSettingsDlg page(owner, sample);
        page.Present();
        page.FillFromSettings();
        page.RebuildChannelList();
        shooter.Shoot(&page, repeater ? QStringLiteral("156_orv_settings_repeater")
                                      : QStringLiteral("156_orv_settings"));
        page.hide();
    }
    owner.Pages().orvRepeaterLayout = 0;

    ShootQxPage(shooter, owner, english);

    ShootMessage(shooter, QStringLiteral("msg_no_port"), Msg::kNoPort, english);
    ShootMessage(shooter, QStringLiteral("msg_saved"), Msg::kSaved, english,
                 QMessageBox::Information);
    ShootMessage(shooter, QStringLiteral("msg_write_error"), Msg::kWriteError, english);
    ShootMessage(shooter, QStringLiteral("msg_no_answer_saving"), Msg::kNoAnswerWhileSaving,
                 english);
    ShootMessage(shooter, QStringLiteral("msg_no_answer"), Msg::kNoAnswer, english);
    ShootMessage(shooter, QStringLiteral("msg_port_lost"), Msg::kPortLost, english);
    ShootMessage(shooter, QStringLiteral("msg_read_stopped"), Msg::kReadStopped, english);
    ShootMessage(shooter, QStringLiteral("msg_save_stopped"), Msg::kSaveStopped, english);
    ShootSetProblems(shooter, english);
    ShootBox(shooter, QStringLiteral("msg_leave_unwritten"), Msg::kLeaveUnwritten.In(english),
             QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    return !shooter.Failed();
}

} // namespace

int main(int argc, char** argv) {
    CConfApp app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: orvconf_screenshots FOLDER\n");
        return 1;
    }
    const QDir dir(args.at(1));
    if (!QDir().mkpath(dir.absolutePath())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    CTranslations translations;
    const bool ok =
        ShootLanguage(translations, dir, false) && ShootLanguage(translations, dir, true);
    return ok ? 0 : 1;
}
