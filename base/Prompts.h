#pragma once
// Message boxes go through this one interface so that tests can record what the user would
// have been told, and the command-line client can print it instead.

#include <optional>
#include <string>

enum class PromptIcon { Information, Warning, Stop };

// A file dialog: its title, its filter in Qt's form ("Tables (*.tb);;All Files(*.*)"), the
// file name it starts with, and the suffix added to a name typed without one.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    std::string initialName;
    std::string defaultSuffix;
};

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Shows text with an OK button and returns when the user has dismissed it. The icon says
    // what kind of news it is: Information for a success, Warning for a failure.
    virtual void ShowMessage(const std::string& caption, const std::string& text,
                             PromptIcon icon) = 0;
    // Asks a question with Yes and No; true for Yes. Without a screen the answer is No, so
    // that nothing is given up unasked.
    virtual bool AskYesNo(const std::string& /*caption*/, const std::string& /*text*/) {
        return false;
    }
    // Asks for a file to write (confirming the overwrite of an existing one) or to read. The
    // path chosen, or nullopt when the user cancelled. Without a screen nothing is chosen.
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& /*request*/) {
        return std::nullopt;
    }
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& /*request*/) {
        return std::nullopt;
    }
};

namespace Prompts {
// The prompts in force; by default messages are written to standard error.
IPrompts& Current();
// Installs other prompts (nullptr restores the default). The caller keeps ownership.
void Install(IPrompts* prompts);
} // namespace Prompts
