#include "app/Language.h"

#include "app/MainDlg.h"
#include "connect/pages/LinkModeDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

#include <string_view>

namespace Language {

namespace {
QTranslator* g_english = nullptr;
QString g_englishSource = QStringLiteral(":/i18n/orvconf_en.qm");
QTranslator* g_qtChinese = nullptr;

// Qt's own texts (standard buttons, file dialogs) follow the interface: its source texts are
// English, so only the Chinese interface needs a translation. Without the package the
// standard texts stay English.
void UseQtChinese(bool chinese) {
    if (!chinese) {
        if (g_qtChinese != nullptr) {
            QCoreApplication::removeTranslator(g_qtChinese);
        }
        return;
    }
    if (g_qtChinese == nullptr) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return;
        }
        g_qtChinese = translator;
    }
    QCoreApplication::installTranslator(g_qtChinese);
}
} // namespace

void SetEnglishSource(const QString& path) {
    if (g_english != nullptr) {
        QCoreApplication::removeTranslator(g_english);
        delete g_english;
        g_english = nullptr;
    }
    g_englishSource = path;
}

bool UseEnglishForms(bool english) {
    UseQtChinese(!english);
    if (!english) {
        if (g_english != nullptr) {
            QCoreApplication::removeTranslator(g_english);
        }
        return true;
    }
    if (g_english == nullptr) {
        // Owned by the application object, so it goes with it.
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(g_englishSource)) {
            delete translator;
            return false;
        }
        g_english = translator;
    }
    return QCoreApplication::installTranslator(g_english);
}

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

namespace {
CMainWindowHost* g_host = nullptr;
}

CMainWindowHost::CMainWindowHost() {
    g_host = this;
}

CMainWindowHost::~CMainWindowHost() {
    m_window.reset();
    if (g_host == this) {
        g_host = nullptr;
    }
}

CMainWindowHost* CMainWindowHost::Current() {
    return g_host;
}

CMainDlg& CMainWindowHost::Create() {
    m_window = std::make_unique<CMainDlg>();
    m_window->show();
    return *m_window;
}

bool CMainWindowHost::ChooseLanguage(bool english) {
    // A failed load keeps the forms in use; the window is re-created and the messages switch
    // all the same.
    const bool loaded = Language::UseEnglishForms(english);

    // The old window goes first (its pages stop and its port closes, so the new one lists that
    // port as free); the program must not end while no window is open.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_window.reset();
    // The connection-method dialog lives on between uses; the next use builds it from the
    // forms now in use.
    CLinkModeDlg::ReleaseInstance();
    Create();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);

    m_window->SetEnglish(english);
    m_window->MarkLanguage(english);
    return loaded;
}
