// The two languages: the language menu's commands and the command line's --language re-create the
// main window in the chosen language, and every page then shows that language only, no text cut
// off; the program's command line.

#include "app/Language.h"
#include "app/AboutDlg.h"
#include "app/ReviewDlg.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/ListItems.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QXmlStreamReader>

namespace {

using namespace guitest;

// Every English text of the translation that is no source text (so never right in a Chinese
// window).
QSet<QString> EnglishOnly() {
    QFile file(QDir(ORVCONF_SOURCE_DIR).filePath("resources/translations/orvconf_en.ts"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QSet<QString> translations;
    QSet<QString> sources;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("source")) {
                sources.insert(xml.readElementText());
            } else if (xml.name() == QLatin1String("translation")) {
                translations.insert(xml.readElementText());
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return translations.subtract(sources);
}

// The texts of a window that come from its form, and the ones it cuts off: a label, button or
// list item wider than its control gives it room for (an editable list shows its choice with the
// current-setting mark in front).
void WalkTexts(QWidget& root, QStringList& texts, QStringList& cut) {
    texts << root.windowTitle();
    for (QAction* action : root.findChildren<QAction*>()) {
        texts << action->text();
    }
    for (QWidget* w : root.findChildren<QWidget*>()) {
        const bool shown = root.isVisible() && w->isVisibleTo(&root);
        const QFontMetrics metrics(w->font());
        const auto add = [&](const QString& shownText, int room, const QString& mark = {}) {
            texts << shownText;
            QString text = mark + shownText;
            text.remove(QLatin1Char('&'));
            if (shown && room >= 0 && metrics.horizontalAdvance(text) > room) {
                cut << w->objectName() + QStringLiteral(": ") + text;
            }
        };
        QStyle* style = w->style();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            add(label->text(), label->wordWrap() ? -1 : label->contentsRect().width());
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            add(push->text(), push->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                                     nullptr, push));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            add(button->text(),
                button->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
                    style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            texts << group->title();
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            texts << menu->title();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const int room = combo->lineEdit() != nullptr
                                 ? combo->lineEdit()->width()
                                 : style
                                       ->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, combo)
                                       .width();
            for (int i = 0; i < combo->count(); ++i) {
                add(combo->itemText(i), room, combo->isEditable() ? "*" : "");
            }
        }
    }
}

// The edits, list boxes and lists of a window that assistive technology cannot name: no name
// of their own, or the title of a group (which holds several controls) as name or label. A list
// box's own name is its accessible name or its label (Qt on Linux names a list box by its value and
// gives the label as a relation).
QStringList Unnamed(QWidget& root) {
    QStringList groups;
    for (const QGroupBox* group : root.findChildren<QGroupBox*>()) {
        groups << group->title();
    }
    QStringList unnamed;
    for (QWidget* w : root.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLineEdit*>(w) != nullptr ||
                             qobject_cast<QComboBox*>(w) != nullptr ||
                             (qobject_cast<QAbstractItemView*>(w) != nullptr &&
                              qobject_cast<QHeaderView*>(w) == nullptr);
        // A list box's popup list is its own; its edit field takes the focus and counts.
        bool part = false;
        for (QWidget* up = w->parentWidget(); up != nullptr && up != &root;
             up = up->parentWidget()) {
            part = part || (qobject_cast<QComboBox*>(up) != nullptr && up != w->parentWidget());
        }
        part = part || (qobject_cast<QComboBox*>(w->parentWidget()) != nullptr &&
                        qobject_cast<QLineEdit*>(w) == nullptr);
        if (!control || part) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        QString name = qobject_cast<QComboBox*>(w) != nullptr ? w->accessibleName()
                                                              : accessible->text(QAccessible::Name);
        const auto labels = accessible->relations(QAccessible::Label);
        if (name.isEmpty() && !labels.isEmpty()) {
            name = labels.first().first->text(QAccessible::Name);
        }
        // A group given as a label as well would be read out after the control's own.
        const bool groupLabel = std::any_of(labels.begin(), labels.end(), [&groups](auto& label) {
            return groups.contains(label.first->text(QAccessible::Name));
        });
        if (name.isEmpty() || groups.contains(name) || groupLabel) {
            unnamed << root.objectName() + QLatin1Char('.') + w->objectName() + QLatin1Char('=') +
                           name;
        }
    }
    return unnamed;
}

class LanguageSwitch : public ::testing::Test {
protected:
    void SetUp() override { Prompts::Install(&prompts); }
    void TearDown() override {
        host.reset();
        Prompts::Install(nullptr);
    }

    // Chooses a language through its menu item and waits for the window to be re-created.
    CMainDlg& Choose(const char* actionName) {
        QPointer<CMainDlg> old = host->Window();
        Control<QAction>(old, actionName)->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return old.isNull(); }, kWaitMs));
        return *host->Window();
    }

    // A fresh home page in that language, its menu item checked; the texts of its form.
    QStringList ExpectFreshHome(CMainDlg& main, bool english) {
        EXPECT_EQ(main.English(), english);
        EXPECT_EQ(Control<QComboBox>(&main, "portCombo")->currentIndex(), -1);
        EXPECT_EQ(Control<QAction>(&main, "englishAction")->isChecked(), english);
        EXPECT_EQ(Control<QAction>(&main, "chineseAction")->isChecked(), !english);
        QStringList texts;
        QStringList cut;
        WalkTexts(main, texts, cut);
        return texts;
    }

    RecordingPrompts prompts;
    std::unique_ptr<CMainWindowHost> host = std::make_unique<CMainWindowHost>();
};

// Every page and dialog, created after the switch (so in the forms now in use), shows only the
// chosen language and cuts no text off; the language in use chosen again re-creates the window
// all the same.
TEST_F(LanguageSwitch, EveryPageShowsTheChosenLanguageWithNoTextCutOff) {
    CMainDlg& first = host->Create();
    EXPECT_FALSE(Control<QAction>(&first, "englishAction")->isChecked() ||
                 Control<QAction>(&first, "chineseAction")->isChecked());
    first.Pages().LinkModeDlg(); // once created in Chinese, it must not stay Chinese
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    const QSet<QString> englishOnly = EnglishOnly();
    for (const bool english : {true, true, false, false}) {
        SCOPED_TRACE(english ? "en" : "zh");
        CMainDlg& main = Choose(english ? "englishAction" : "chineseAction");
        ExpectFreshHome(main, english);
        const std::unique_ptr<QWidget> pages[] = {
            std::make_unique<CConfigKeyDlg>(main),
            std::make_unique<CNoRadioDlg>(main),
            std::make_unique<CPowerOnWaitDlg>(main),
            std::make_unique<CReadingDlg>(main),
            std::make_unique<CSavingDlg>(main),
            std::make_unique<CSoftDiagDlg>(main),
            std::make_unique<COrvSettingsDlg>(main),
            std::make_unique<CQxSettingsDlg>(main),
            std::make_unique<CAboutDlg>(QIcon(), &main),
            std::make_unique<CReviewDlg>(QStringList{"S101"}, &main)};
        QStringList texts;
        QStringList cut;
        WalkTexts(main, texts, cut);
        WalkTexts(main.Pages().LinkModeDlg(), texts, cut);
        QStringList unnamed = Unnamed(main) + Unnamed(main.Pages().LinkModeDlg());
        for (const auto& page : pages) {
            page->show();
            QTest::qWait(0);
            WalkTexts(*page, texts, cut);
            unnamed += Unnamed(*page);
        }
        // The cell editors too, as a click on a cell opens them.
        for (const auto& [page, column] :
             {std::pair<QWidget*, int>(pages[6].get(), 1),
              std::pair<QWidget*, int>(pages[7].get(), 1),
              std::pair<QWidget*, int>(pages[7].get(), CQxChannelModel::kBandwidth)}) {
            ClickCell(page, 0, column);
            EXPECT_NE(OpenEditor<QWidget>(page, column == 1 ? "cellEdit" : "cellCombo"), nullptr);
            unnamed += Unnamed(*page);
        }
        EXPECT_TRUE(unnamed.isEmpty()) << "no name: " << unnamed.join(" | ").toStdString();
        QStringList wrong;
        for (const QString& text : texts) {
            // The Chinese language item names itself in Chinese in both languages.
            if (english ? han.match(text).hasMatch() && !text.startsWith(QStringLiteral("中文"))
                        : englishOnly.contains(text)) {
                wrong << text;
            }
        }
        EXPECT_TRUE(wrong.isEmpty()) << "other language left: " << wrong.join(" | ").toStdString();
        EXPECT_TRUE(cut.isEmpty()) << "cut off: " << cut.join(" | ").toStdString();
        EXPECT_EQ(texts.contains(QStringLiteral("QX电台设置")), !english);
    }
}

std::vector<std::string> Items(const QComboBox* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->itemText(i).toStdString());
    }
    return items;
}

// The ORV protocols and their lists in one language: protocol names, then each list's items.
std::vector<std::vector<std::string>> OrvNames(bool english) {
    std::vector<std::vector<std::string>> names(1);
    for (const listitems::OrvProtocol& protocol : listitems::kOrvProtocols) {
        names[0].push_back(english ? protocol.name.english : protocol.name.chinese);
        names.emplace_back();
        for (const listitems::Named& mode : protocol.modes) {
            names.back().push_back(english ? mode.english : mode.chinese);
        }
    }
    return names;
}

std::vector<std::vector<std::string>> OrvNamesOnPage(QWidget& page) {
    std::vector<std::vector<std::string>> names(1);
    for (const char* protocol :
         {"bmkTransparent", "trimtalk", "satel", "qzTransparent", "bmkFst"}) {
        const std::string name(protocol);
        names[0].push_back(Control(&page, (name + "Radio").c_str())->text().toStdString());
        names.push_back(Items(Control<QComboBox>(&page, (name + "ModeCombo").c_str())));
    }
    return names;
}

// The lists of both pages hold the items users have always seen, in their order, in the language
// of the forms in use: a translation that fails to load leaves the lists Chinese like the rest of
// the form, while the messages follow the language chosen.
TEST_F(LanguageSwitch, TheListsNameValuesInTheFormsLanguage) {
    host->Create();
    struct Restore {
        CTranslations& translations;
        ~Restore() { translations.SetEnglishSource(QStringLiteral(":/i18n/orvconf_en.qm")); }
    } restore{host->Translations()};
    for (const auto& [english, translated] :
         {std::pair{true, true}, std::pair{false, false}, std::pair{true, false}}) {
        SCOPED_TRACE(english ? (translated ? "en" : "en without its forms") : "zh");
        if (!translated) {
            host->Translations().SetEnglishSource(QStringLiteral(":/i18n/missing.qm"));
        }
        CMainDlg& main = Choose(english ? "englishAction" : "chineseAction");
        ASSERT_EQ(main.English(), english);
        COrvSettingsDlg orv(main);
        EXPECT_EQ(OrvNamesOnPage(orv), OrvNames(translated));
        EXPECT_EQ(Items(Control<QComboBox>(&orv, "portRateCombo")), listitems::kOrvPortRates);
        CQxSettingsDlg qx(main);
        for (const listitems::QxList& list : listitems::kQxLists) {
            EXPECT_EQ(Items(Control<QComboBox>(&qx, list.combo)), list.items) << list.combo;
        }
    }
}

// A language chosen or the window closed while a page on screen holds changes never written (an
// offline page beside the home page) asks first; No keeps everything as it is.
TEST_F(LanguageSwitch, ALanguageOrTheWindowsCloseAsksBeforeAnEditedPageGoes) {
    host->Create().PresentSettingsPage(FAMILY_QX, RadioSettings());
    CMainDlg& main = Choose("chineseAction"); // nothing changed: no question
    EXPECT_TRUE(prompts.questions.empty());
    QPointer<CMainDlg> shown = &main;
    auto* page =
        qobject_cast<CQxSettingsDlg*>(main.PresentSettingsPage(FAMILY_QX, RadioSettings()));
    page->ChannelModel().SetText(3, CQxChannelModel::kFrequency, QStringLiteral("433.125000"));
    prompts.answers = {false, false};
    Control<QAction>(&main, "englishAction")->trigger();
    QApplication::processEvents();
    main.close();
    EXPECT_EQ(prompts.questions.size(), 2u);
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(main.isVisible() && page->isVisible());
    EXPECT_FALSE(main.English());
    Choose("englishAction");
    EXPECT_EQ(prompts.questions.size(), 3u);
}

// The command line's language starts the window as the menu item would.
TEST_F(LanguageSwitch, StartLanguageActsAsTheMenuChosenOnce) {
    for (const bool english : {true, false}) {
        SCOPED_TRACE(english);
        host = std::make_unique<CMainWindowHost>();
        host->ChooseLanguage(english);
        const QStringList texts = ExpectFreshHome(*host->Window(), english);
        EXPECT_EQ(texts.contains(QStringLiteral("Serial port")), english);
        EXPECT_EQ(texts.contains(QStringLiteral("选择串口")), !english);
    }
}

// The start language is read from --language; anything unknown stops the program with one line
// naming it, before any window opens.
TEST(CommandLine, TheLanguageIsReadAndAnythingUnknownStopsTheProgram) {
    struct Case {
        std::vector<const char*> args;
        std::optional<bool> english;
        bool error;
    };
    for (const Case& c : {Case{{}, std::nullopt, false}, Case{{"--language", "en"}, true, false},
                          Case{{"-platform", "offscreen", "--language=zh"}, false, false},
                          Case{{"--language", "zh", "--language=en"}, true, false},
                          Case{{"--language", "EN"}, std::nullopt, true}}) {
        std::vector<const char*> argv{"orvconf"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto got = Language::ReadStartLanguage(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(got.english, c.english) << argv.size();
        EXPECT_EQ(!got.error.empty(), c.error) << got.error;
    }
    for (const QStringList& args :
         {QStringList{"--bogus"}, QStringList{"-platform", "offscreen", "x"}}) {
        QProcess app;
        app.start(QStringLiteral(ORVCONF_APP), args);
        if (!app.waitForFinished(kWaitMs)) {
            app.kill();
            FAIL() << args.join(' ').toStdString() << ": the window opened instead";
        }
        EXPECT_EQ(app.exitCode(), 1);
        const QString err = QString::fromUtf8(app.readAllStandardError()).trimmed();
        EXPECT_TRUE(err.section('\n', -1).startsWith("orvconf: unknown option or argument: "))
            << err.toStdString();
        EXPECT_TRUE(app.readAllStandardOutput().isEmpty());
    }
}

} // namespace
