#include "connect/pages/Page.h"

#include "base/Prompts.h"
#include "connect/pages/Resources.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

CPage::CPage(IPageOwner& owner, bool captionBar)
    : QDialog(owner.PageParent()), m_owner(owner), m_captionBar(captionBar) {
    InitOrvconfResources();
    Qt::WindowFlags flags = Qt::Window;
    if (captionBar) {
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    setWindowFlags(flags);
    setModal(false);
    // Hiding the main window and closing a page must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void CPage::Present() {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    adjustSize();
    QWidget* parent = m_owner.PageParent();
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    repaint();
}

void CPage::Tell(const Bilingual& message, PromptIcon icon) {
    Prompts::Current().ShowMessage(kMessageCaption, message.In(m_owner.English()), icon);
}

void CPage::reject() {
    if (m_captionBar && isVisible()) {
        OnEscape();
    }
}

void CPage::closeEvent(QCloseEvent* event) {
    // The page is only ever hidden by the program; a close from outside is a request to leave.
    event->ignore();
    if (m_captionBar && isVisible()) {
        OnCaptionClose();
    }
}
