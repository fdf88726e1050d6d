#pragma once
// The language of the dialogs, menus and captions: Chinese is built in, English comes from a
// translation compiled into the program. Choosing a language re-creates the main window.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

class CMainDlg;

namespace Language {

// Installs (true) or removes (false) the English translation for windows created from now on.
// Returns false when the English translation cannot be loaded.
bool UseEnglishForms(bool english);

// Where the English translation is loaded from; tests point it at a missing file.
void SetEnglishSource(const QString& path);

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

// Holds the one main window and re-creates it when the user chooses a language.
class CMainWindowHost {
public:
    CMainWindowHost();
    ~CMainWindowHost();
    CMainWindowHost(const CMainWindowHost&) = delete;
    CMainWindowHost& operator=(const CMainWindowHost&) = delete;

    // The host the language commands of the main window use (null when none exists).
    static CMainWindowHost* Current();

    // Creates and shows the main window (the first one, in Chinese).
    CMainDlg& Create();
    CMainDlg* Window() const { return m_window.get(); }

    // Loads the language's forms (leaving them as they were when that fails), destroys the
    // window with its pages and creates it afresh, then sets its message language and the
    // check mark. Returns false when the translation could not be loaded.
    bool ChooseLanguage(bool english);

private:
    std::unique_ptr<CMainDlg> m_window;
};
