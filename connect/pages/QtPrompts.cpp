#include "connect/pages/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
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

std::optional<std::string> CQtPrompts::AskFileName(const FileRequest& request) {
    QPointer<QFileDialog> dialog =
        new QFileDialog(OwnerWindow(), QString::fromStdString(request.title), QString(),
                        QString::fromStdString(request.filter));
    dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    // A save asks before replacing a file; the read-only choice is never offered.
    dialog->setOption(QFileDialog::ReadOnly, false);
    const bool chosen = dialog->exec() == QDialog::Accepted && dialog != nullptr &&
                        !dialog->selectedFiles().isEmpty();
    std::optional<std::string> name;
    if (chosen) {
        name = dialog->selectedFiles().constFirst().toStdString();
    }
    delete dialog.data();
    return name;
}
