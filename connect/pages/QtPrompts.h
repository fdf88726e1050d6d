#pragma once
// Message boxes on screen: a modal QMessageBox owned by the window the user is looking at.

#include "base/Prompts.h"

class CQtPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text, PromptIcon icon) override;
    // No is the default button, and Escape answers No.
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
};
