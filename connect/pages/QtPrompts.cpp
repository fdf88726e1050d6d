#include "connect/pages/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

// The active window, else any visible top-level window of the program, else none.
QWidget* OwnerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isWindow() && !window->inherits("QMenu")) {
            return window;
        }
    }
    return nullptr;
}

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Stop:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void CQtPrompts::ShowMessage(const std::string& caption, const std::string& text, PromptIcon icon) {
    QPointer<QMessageBox> box =
        new QMessageBox(BoxIcon(icon), QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, OwnerWindow());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->exec();
    delete box.data(); // its owner may have gone while it was up
}
