#pragma once
// Message boxes go through this one interface so that tests can record what the user would
// have been told, and the command-line client can print it instead.

#include <string>

enum class PromptIcon { Information, Warning, Stop };

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Shows text with an OK button and returns when the user has dismissed it.
    virtual void ShowMessage(const std::string& caption, const std::string& text,
                             PromptIcon icon) = 0;
};

namespace Prompts {
// The prompts in force; by default messages are written to standard error.
IPrompts& Current();
// Installs other prompts (nullptr restores the default). The caller keeps ownership.
void Install(IPrompts* prompts);
} // namespace Prompts
