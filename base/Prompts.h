#pragma once
// Message boxes go through this one interface so that tests can record what the user would
// have been told, and the command-line client can print it instead.

#include <optional>
#include <string>

enum class PromptIcon { Information, Warning, Stop };

// A file chooser: an open or a save dialog with its title, filter ("Text (*.txt);;All (*)") and
// the suffix added to a name typed without one. A save dialog asks before replacing a file.
struct FileRequest {
    bool save = false;
    std::string title;
    std::string filter;
    std::string defaultSuffix;
};

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Shows text with an OK button and returns when the user has dismissed it.
    virtual void ShowMessage(const std::string& caption, const std::string& text,
                             PromptIcon icon) = 0;
    // Asks for a file; no value when the user cancels (and where no one can be asked).
    virtual std::optional<std::string> AskFileName(const FileRequest& /*request*/) {
        return std::nullopt;
    }
};

namespace Prompts {
// The prompts in force; by default messages are written to standard error.
IPrompts& Current();
// Installs other prompts (nullptr restores the default). The caller keeps ownership.
void Install(IPrompts* prompts);
} // namespace Prompts
