#pragma once
// The language of the dialogs, menus and captions: Chinese is built in, English comes from a
// translation compiled into the program. Choosing a language re-creates the main window.

#include "connect/QxLinkMethod.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

class CMainDlg;
class QTranslator;

// The translations installed for the windows: English forms, and Qt's own texts in Chinese for
// the Chinese forms. Removed from the application when this goes.
class CTranslations {
public:
    CTranslations();
    ~CTranslations();
    CTranslations(const CTranslations&) = delete;
    CTranslations& operator=(const CTranslations&) = delete;

    // Installs (true) or removes (false) the English translation for windows created from now
    // on. Returns false when the English translation cannot be loaded.
    bool UseEnglishForms(bool english);
    // Where the English translation is loaded from; tests point it at a missing file.
    void SetEnglishSource(const QString& path);

private:
    void UseQtChinese(bool chinese);

    std::unique_ptr<QTranslator> m_english;
    QString m_englishSource;
    std::unique_ptr<QTranslator> m_qtChinese;
};

namespace Language {

// The places the instructions file is looked for, best first: beside the program (the build
// tree), then the installed data folders.
QStringList InstructionsCandidates(const QString& programDir);

// The language asked for on the command line ("--language zh|en" or "--language=zh|en"; the
// last one counts). Other arguments are left to Qt.
struct StartLanguage {
    std::optional<bool> english; // nullopt: not asked for
    std::string error;           // one line for stderr when the option is wrong
};
StartLanguage ReadStartLanguage(int argc, const char* const* argv);

} // namespace Language

// Holds a main window with the translations of its forms, and re-creates the window when the
// user chooses a language.
class CMainWindowHost {
public:
    CMainWindowHost();
    ~CMainWindowHost();
    CMainWindowHost(const CMainWindowHost&) = delete;
    CMainWindowHost& operator=(const CMainWindowHost&) = delete;

    // Creates and shows the main window (the first one, in the forms in use).
    CMainDlg& Create();
    CMainDlg* Window() const { return m_window.get(); }
    CTranslations& Translations() { return m_translations; }

    // Loads the language's forms (leaving them as they were when that fails), destroys the
    // window with its pages and creates it afresh, then sets its message language and the
    // check mark. The connection method and the ORV list's layout chosen in the old window
    // stay. Returns false when the translation could not be loaded.
    bool ChooseLanguage(bool english);

private:
    CTranslations m_translations;
    std::unique_ptr<CMainDlg> m_window;
    // The language commands run from here, after the menu's signal has returned; nothing runs
    // once the host is gone.
    QObject m_later;
};
