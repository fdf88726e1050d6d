// The two languages: the English translation covers every text of every form, the language
// commands of menu 129 and the command line's --language re-create the main window in the chosen
// language with its check mark, and the instructions reach the editor.

#include "app/Language.h"
#include "app/AboutDlg.h"
#include "app/MainDlg.h"
#include "base/Prompts.h"
#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SoftDiagDlg.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxSettingsDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 10000;

QString SourcePath(const QString& relative) {
    return QDir(QStringLiteral(ORVCONF_SOURCE_DIR)).filePath(relative);
}

// The translation file: for each context, its source texts and whether each is finished; and
// every English text that is no source text anywhere (so never right in a Chinese window).
struct TsFile {
    QMap<QString, QSet<QString>> sources;
    QStringList unfinished;
    QSet<QString> englishOnly;
};

TsFile ReadTs(const QString& path) {
    TsFile ts;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
            ts.sources[context].insert(source);
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished =
                xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            const QString translation = xml.readElementText();
            if (unfinished || translation.trimmed().isEmpty()) {
                ts.unfinished << context + QStringLiteral(": ") + source;
            }
            ts.englishOnly.insert(translation);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const QSet<QString>& sources : std::as_const(ts.sources)) {
        ts.englishOnly.subtract(sources);
    }
    ts.englishOnly.remove(QString());
    return ts;
}

// Every translatable text of a form, with the form's class (the translation context).
struct FormTexts {
    QString context;
    QStringList texts;
};

FormTexts ReadForm(const QString& path) {
    FormTexts form;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        ++depth;
        if (depth == 2 && xml.name() == QLatin1String("class")) {
            form.context = xml.readElementText();
            --depth;
        } else if (xml.name() == QLatin1String("string")) {
            const bool notr =
                xml.attributes().value(QLatin1String("notr")) == QLatin1String("true");
            const QString text = xml.readElementText();
            --depth;
            if (!notr && !text.isEmpty()) {
                form.texts << text;
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString();
    return form;
}

TEST(Translation, EveryFormTextHasAFinishedEnglishTranslation) {
    const TsFile ts = ReadTs(SourcePath(QStringLiteral("resources/translations/orvconf_en.ts")));
    EXPECT_TRUE(ts.unfinished.isEmpty()) << ts.unfinished.join(QLatin1Char('\n')).toStdString();

    const QDir forms(SourcePath(QStringLiteral("resources/forms")));
    const QStringList names = forms.entryList({QStringLiteral("*.ui")}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const FormTexts form = ReadForm(forms.filePath(name));
        ASSERT_FALSE(form.context.isEmpty()) << name.toStdString();
        EXPECT_TRUE(ts.sources.contains(form.context))
            << name.toStdString() << " has no translations (run the lupdate target)";
        for (const QString& text : form.texts) {
            EXPECT_TRUE(ts.sources.value(form.context).contains(text))
                << name.toStdString() << ": \"" << text.toStdString()
                << "\" is not in the translation (run the lupdate target)";
        }
    }
}

class SilentPrompts : public IPrompts {
public:
    void ShowMessage(const std::string&, const std::string& text, PromptIcon) override {
        texts.push_back(text);
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::vector<std::string> texts;
};

// Every text of a window and its children that comes from its form (the channel lists' titles
// follow the message language when a page is filled).
QStringList VisibleTexts(QWidget& root) {
    QStringList texts{root.windowTitle()};
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            texts << label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            texts << group->title();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                texts << combo->itemText(i);
            }
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            texts << menu->title();
        }
    }
    for (QAction* action : root.findChildren<QAction*>()) {
        texts << action->text();
    }
    return texts;
}

QStringList WithHan(const QStringList& texts) {
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    QStringList found;
    for (const QString& text : texts) {
        // The Chinese language item names itself in Chinese in both languages.
        if (han.match(text).hasMatch() && !text.startsWith(QStringLiteral("中文"))) {
            found << text;
        }
    }
    return found;
}

// The texts of a Chinese window that are English translations and no source text.
QStringList EnglishLeft(const QStringList& texts) {
    static const QSet<QString> englishOnly =
        ReadTs(SourcePath(QStringLiteral("resources/translations/orvconf_en.ts"))).englishOnly;
    QStringList found;
    for (const QString& text : texts) {
        if (englishOnly.contains(text)) {
            found << text;
        }
    }
    return found;
}

// The texts a shown window cuts off: a label, button or list item wider than the room its
// control gives it. An editable list shows its choice with the current-setting mark in front.
QStringList CutOff(QWidget& root) {
    QStringList cut;
    for (QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root)) {
            continue;
        }
        const QFontMetrics metrics(w->font());
        const auto check = [&](QString text, int room) {
            text.remove(QLatin1Char('&'));
            if (!text.isEmpty() && metrics.horizontalAdvance(text) > room) {
                cut << w->objectName() + QStringLiteral(": ") + text;
            }
        };
        QStyle* style = w->style();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->wordWrap()) {
                check(label->text(), label->contentsRect().width());
            }
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            check(push->text(), push->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                                       nullptr, push));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            check(button->text(),
                  button->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
                      style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w));
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
                check((combo->isEditable() ? QStringLiteral("*") : QString()) + combo->itemText(i),
                      room);
            }
        }
    }
    return cut;
}

// Every page and dialog of the program, created now (so in the forms now in use).
std::vector<std::unique_ptr<QWidget>> CreateEveryPage(CMainDlg& main) {
    std::vector<std::unique_ptr<QWidget>> pages;
    pages.push_back(std::make_unique<CConfigKeyDlg>(main));
    pages.push_back(std::make_unique<CNoRadioDlg>(main));
    pages.push_back(std::make_unique<CPowerOnWaitDlg>(main));
    pages.push_back(std::make_unique<CReadingDlg>(main));
    pages.push_back(std::make_unique<CSavingDlg>(main));
    pages.push_back(std::make_unique<CSoftDiagDlg>(main));
    pages.push_back(std::make_unique<COrvSettingsDlg>(main));
    pages.push_back(std::make_unique<CQxSettingsDlg>(main));
    pages.push_back(std::make_unique<CAboutDlg>(QIcon(), &main));
    return pages;
}

QAction* Action(CMainDlg& main, const char* name) {
    return main.findChild<QAction*>(QString::fromLatin1(name));
}

class LanguageSwitch : public ::testing::Test {
protected:
    void SetUp() override { Prompts::Install(&prompts); }
    void TearDown() override {
        host.reset();
        CLinkModeDlg::ReleaseInstance();
        Language::SetEnglishSource(QStringLiteral(":/i18n/orvconf_en.qm"));
        Language::UseEnglishForms(false);
        Prompts::Install(nullptr);
    }

    // Chooses a language through its menu item and waits for the window to be re-created.
    CMainDlg& Choose(const char* actionName) {
        QPointer<CMainDlg> old = host->Window();
        Action(*old, actionName)->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return old.isNull(); }, kWaitMs));
        return *host->Window();
    }

    void ExpectFreshHome(CMainDlg& main, bool english) {
        EXPECT_EQ(main.English(), english);
        EXPECT_EQ(main.Family(), FAMILY_QX);
        EXPECT_FALSE(main.PortOpen());
        EXPECT_FALSE(main.findChild<QAbstractButton*>(QStringLiteral("orvButton"))->isEnabled());
        EXPECT_FALSE(main.findChild<QAbstractButton*>(QStringLiteral("qxButton"))->isEnabled());
        EXPECT_EQ(main.findChild<QComboBox*>(QStringLiteral("portCombo"))->currentIndex(), -1);
        EXPECT_EQ(Action(main, "englishAction")->isChecked(), english);
        EXPECT_EQ(Action(main, "chineseAction")->isChecked(), !english);
        EXPECT_TRUE(main.isVisible());
    }

    SilentPrompts prompts;
    std::unique_ptr<CMainWindowHost> host = std::make_unique<CMainWindowHost>();
};

TEST_F(LanguageSwitch, EnglishAndBackRecreateTheWindowInThatLanguage) {
    CMainDlg& first = host->Create();
    EXPECT_FALSE(Action(first, "englishAction")->isChecked());
    EXPECT_FALSE(Action(first, "chineseAction")->isChecked());
    // The connection-method dialog, once created in Chinese, must not stay Chinese.
    CLinkModeDlg::Instance();

    struct Step {
        const char* action;
        bool english;
    };
    // The language in use chosen again re-creates the window all the same.
    for (const Step step : {Step{"englishAction", true}, Step{"englishAction", true},
                            Step{"chineseAction", false}, Step{"chineseAction", false}}) {
        SCOPED_TRACE(step.action);
        CMainDlg& main = Choose(step.action);
        ExpectFreshHome(main, step.english);

        QStringList texts = VisibleTexts(main);
        for (const auto& page : CreateEveryPage(main)) {
            texts << VisibleTexts(*page);
        }
        texts << VisibleTexts(CLinkModeDlg::Instance());
        if (step.english) {
            EXPECT_TRUE(WithHan(texts).isEmpty())
                << "Chinese left in the English dialogs: "
                << WithHan(texts).join(QStringLiteral(" | ")).toStdString();
        } else {
            EXPECT_TRUE(texts.contains(QStringLiteral("QX电台设置")));
            EXPECT_TRUE(texts.contains(QStringLiteral("ORV电台设置")));
            EXPECT_TRUE(EnglishLeft(texts).isEmpty())
                << "English left in the Chinese dialogs: "
                << EnglishLeft(texts).join(QStringLiteral(" | ")).toStdString();
        }
    }
}

// The walk of the Chinese windows sees a form text left in English wherever it stands.
TEST_F(LanguageSwitch, AnEnglishTextInAChineseWindowIsFound) {
    CMainDlg& main = host->Create();
    CQxSettingsDlg page(main);
    EXPECT_TRUE(EnglishLeft(VisibleTexts(page)).isEmpty());
    page.findChild<QAbstractButton*>(QStringLiteral("setButton"))->setText(QStringLiteral("Set"));
    EXPECT_EQ(EnglishLeft(VisibleTexts(page)), QStringList{QStringLiteral("Set")});
}

TEST_F(LanguageSwitch, NoTextIsCutOffInEitherLanguage) {
    host->Create();
    for (const char* action : {"englishAction", "chineseAction"}) {
        SCOPED_TRACE(action);
        CMainDlg& main = Choose(action);
        QStringList cut = CutOff(main);
        for (const auto& page : CreateEveryPage(main)) {
            page->show();
            QTest::qWait(0);
            cut << CutOff(*page);
        }
        EXPECT_TRUE(cut.isEmpty()) << cut.join(QStringLiteral(" | ")).toStdString();
    }
}

// The command line's language starts the window as the menu item would, the first time.
TEST_F(LanguageSwitch, StartLanguageActsAsTheMenuChosenOnce) {
    for (const bool english : {true, false}) {
        SCOPED_TRACE(english);
        host = std::make_unique<CMainWindowHost>();
        host->ChooseLanguage(english);
        ExpectFreshHome(*host->Window(), english);
        const QStringList texts = VisibleTexts(*host->Window());
        EXPECT_EQ(texts.contains(QStringLiteral("Serial port")), english);
        EXPECT_EQ(texts.contains(QStringLiteral("选择串口")), !english);
    }
}

TEST(StartLanguage, ReadsTheOption) {
    struct Case {
        std::vector<const char*> args;
        std::optional<bool> english;
        bool error;
    };
    const Case cases[] = {
        {{}, std::nullopt, false},
        {{"--language", "en"}, true, false},
        {{"--language=zh"}, false, false},
        {{"-platform", "offscreen", "--language", "zh"}, false, false},
        {{"--language", "zh", "--language=en"}, true, false},
        {{"--language"}, std::nullopt, true},
        {{"--language", "fr"}, std::nullopt, true},
        {{"--language="}, std::nullopt, true},
        {{"--language", "EN"}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"orvconf"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const Language::StartLanguage got =
            Language::ReadStartLanguage(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : std::string(c.args.back()));
        EXPECT_EQ(got.english, c.english);
        EXPECT_EQ(!got.error.empty(), c.error) << got.error;
        EXPECT_EQ(got.error.find('\n'), std::string::npos);
    }
}

TEST_F(LanguageSwitch, AMissingTranslationKeepsChineseFormsButSwitchesMessages) {
    Language::SetEnglishSource(QStringLiteral(":/i18n/missing.qm"));
    host->Create();
    CMainDlg& main = Choose("englishAction");
    ExpectFreshHome(main, true);
    const QStringList texts = VisibleTexts(main);
    EXPECT_TRUE(texts.contains(QStringLiteral("选择串口")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Serial port")));
}

// Records the files the desktop is asked to open instead of starting an editor.
class OpenRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

// Sets an environment variable for the life of the object.
class EnvironmentFor {
public:
    EnvironmentFor(const char* name, const QString& value)
        : m_name(name), m_was(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvironmentFor() {
        if (m_was) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }
    EnvironmentFor(const EnvironmentFor&) = delete;
    EnvironmentFor& operator=(const EnvironmentFor&) = delete;

private:
    const char* m_name;
    bool m_was;
    QByteArray m_old;
};

TEST(Instructions, LieBesideTheProgramInTheBuildTree) {
    const QString beside =
        Language::InstructionsCandidates(QStringLiteral(ORVCONF_PROGRAM_DIR)).front();
    EXPECT_EQ(QFileInfo(beside).fileName(), QStringLiteral("11.ini"));
    QFile file(beside);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << beside.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    // Both languages, Chinese first.
    const qsizetype english = text.indexOf(QStringLiteral("ORVCONF Instructions (English)"));
    ASSERT_GT(english, 0);
    EXPECT_TRUE(text.left(english).contains(QStringLiteral("使用说明")));
}

TEST_F(LanguageSwitch, InstructionsGoToTheEditorAsOnePath) {
    // The data folders are searched after the program's folder; a folder with blanks stands
    // in for a program folder with blanks.
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString data = temp.filePath(QStringLiteral("data with  blanks"));
    const QString path = data + QStringLiteral("/orvconf/11.ini");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    const EnvironmentFor home("XDG_DATA_HOME", data);
    const EnvironmentFor dirs("XDG_DATA_DIRS", temp.filePath(QStringLiteral("none")));

    struct Case {
        const char* name;
        bool file;
        const char* handler; // the recorder's slot; a missing one fails like an editor that
                             // cannot start
        int opened;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"opened", true, "Open", 1, {}},
        {"editor fails", true, "NoSuchEditor", 0, {"创建进程失败"}},
        {"no file", false, "Open", 0, {"找不到使用说明文件。"}},
    };
    CMainDlg& main = host->Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.file && QFile::exists(QStringLiteral("/usr/share/orvconf/11.ini"))) {
            continue; // installed here: the program would rightly find it
        }
        if (c.file) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        } else {
            QFile::remove(path);
        }
        prompts.texts.clear();
        OpenRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, c.handler);
        Action(main, "instructionsAction")->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        ASSERT_EQ(recorder.opened.size(), c.opened);
        if (c.opened == 1) {
            EXPECT_EQ(recorder.opened.front().toLocalFile(), path);
        }
        EXPECT_EQ(prompts.texts, c.messages);
    }
}

} // namespace

#include "LanguageTest.moc"

// Qt's own texts follow the interface: standard buttons say "确定" in Chinese and "OK" in
// English. Needs Qt's translation package (installed by scripts/setup).
TEST(QtOwnTexts, StandardButtonsFollowTheInterfaceLanguage) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm")) {
        GTEST_SKIP() << "Qt's translation package is not installed";
    }
    const auto okText = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok);
        return box.button(QMessageBox::Ok)->text();
    };
    Language::UseEnglishForms(false);
    EXPECT_EQ(okText(), "确定");
    Language::UseEnglishForms(true);
    EXPECT_EQ(okText(), "OK");
    Language::UseEnglishForms(false);
}
