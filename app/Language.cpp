#include "app/Language.h"

#include "app/MainDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include <string_view>

CTranslations::CTranslations() : m_englishSource(QStringLiteral(":/i18n/orvconf_en.qm")) {}

// The translators remove themselves from the application as they go.
CTranslations::~CTranslations() = default;

// Qt's own texts (standard buttons, file dialogs) follow the interface: its source texts are
// English, so only the Chinese interface needs a translation. Without the package the standard
// texts stay English.
void CTranslations::UseQtChinese(bool chinese) {
    if (!chinese) {
        if (m_qtChinese != nullptr) {
            QCoreApplication::removeTranslator(m_qtChinese.get());
        }
        return;
    }
    if (m_qtChinese == nullptr) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            return;
        }
        m_qtChinese = std::move(translator);
    }
    QCoreApplication::installTranslator(m_qtChinese.get());
}

void CTranslations::SetEnglishSource(const QString& path) {
    m_english.reset();
    m_englishSource = path;
}

bool CTranslations::UseEnglishForms(bool english) {
    UseQtChinese(!english);
    if (!english) {
        if (m_english != nullptr) {
            QCoreApplication::removeTranslator(m_english.get());
        }
        return true;
    }
    if (m_english == nullptr) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(m_englishSource)) {
            return false;
        }
        m_english = std::move(translator);
    }
    return QCoreApplication::installTranslator(m_english.get());
}

namespace Language {

QStringList InstructionsCandidates(const QString& programDir) {
    const QString name = QStringLiteral("11.ini");
    QStringList places{QDir(programDir).filePath(name),
                       QDir(programDir).filePath(QStringLiteral("../share/orvconf/") + name)};
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        places << QDir(data).filePath(QStringLiteral("orvconf/") + name);
    }
    places << QStringLiteral("/usr/share/orvconf/") + name;
    for (QString& place : places) {
        place = QDir::cleanPath(place);
    }
    places.removeDuplicates();
    return places;
}

StartLanguage ReadStartLanguage(int argc, const char* const* argv) {
    static constexpr std::string_view kOption = "--language";
    StartLanguage result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view value;
        if (arg == kOption) {
            if (i + 1 >= argc) {
                result.error = "orvconf: --language needs a value: zh or en";
                return result;
            }
            value = argv[++i];
        } else if (arg.substr(0, kOption.size() + 1) == "--language=") {
            value = arg.substr(kOption.size() + 1);
        } else {
            continue;
        }
        if (value == "zh") {
            result.english = false;
        } else if (value == "en") {
            result.english = true;
        } else {
            result.error = "orvconf: --language takes zh or en, not \"" + std::string(value) + "\"";
            return result;
        }
    }
    return result;
}

} // namespace Language

CMainWindowHost::CMainWindowHost() = default;

CMainWindowHost::~CMainWindowHost() {
    // The window with its pages before the translations of its forms.
    m_window.reset();
}

CMainDlg& CMainWindowHost::Create() {
    m_window = std::make_unique<CMainDlg>();
    m_window->SetLanguageChooser([this](bool english) {
        QTimer::singleShot(0, &m_later, [this, english] { ChooseLanguage(english); });
    });
    m_window->show();
    return *m_window;
}

bool CMainWindowHost::ChooseLanguage(bool english) {
    // A failed load keeps the forms in use; the window is re-created and the messages switch
    // all the same.
    const bool loaded = m_translations.UseEnglishForms(english);

    // What the user chose in the old window for the rest of the run.
    std::optional<QxLinkMethod> linkMode;
    int orvLayout = 0;
    if (m_window != nullptr) {
        linkMode = m_window->Pages().linkMode;
        orvLayout = m_window->Pages().orvRepeaterLayout;
    }

    // The old window goes first (its pages stop and its port closes, so the new one lists that
    // port as free); the program must not end while no window is open.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_window.reset();
    Create();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);

    if (linkMode) {
        m_window->Pages().linkMode = *linkMode;
        m_window->Pages().orvRepeaterLayout = orvLayout;
    }
    m_window->SetEnglish(english);
    m_window->MarkLanguage(english);
    return loaded;
}
