#pragma once
// A modeless page of the program: a top-level window that belongs to the main window, has its
// own task-bar entry while the main window is hidden, and is presented centred and painted at
// once.

#include "base/Prompts.h"
#include "connect/pages/Messages.h"
#include "connect/pages/PageOwner.h"

#include <QDialog>

class CPage : public QDialog {
    Q_OBJECT
public:
    // captionBar false: a page without a caption bar (no title, no close button).
    CPage(IPageOwner& owner, bool captionBar);

    // Initialises the page (OnInitDialog), centres it on the owner's screen, shows it, brings
    // it to the front and paints it at once.
    void Present();

    // Stops whatever the page drives (a countdown, a search). Nothing visible changes.
    virtual void Stop() {}

    IPageOwner& Owner() const { return m_owner; }

protected:
    // Runs once, before the page is first shown.
    virtual void OnInitDialog() {}

    // A message box in the language in force; a warning unless it reports a success.
    void Tell(const Bilingual& message, PromptIcon icon = PromptIcon::Warning);

    // Escape and the caption's close button: pages without a caption bar ignore both; the
    // others leave through OnEscape and OnCaptionClose.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    virtual void OnCaptionClose() {}
    virtual void OnEscape() { OnCaptionClose(); }

private:
    IPageOwner& m_owner;
    bool m_captionBar;
    bool m_initialised = false;
};
