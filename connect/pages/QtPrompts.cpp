#include "connect/pages/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>

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

namespace {
// The window icon and the minimise, maximise and close buttons of a title bar, generously.
constexpr int kTitleBarRoom = 200;
} // namespace

void CQtPrompts::ShowMessage(const std::string& caption, const std::string& text, PromptIcon icon) {
    QPointer<QMessageBox> box =
        new QMessageBox(BoxIcon(icon), QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, OwnerWindow());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    // A short text would leave the box too narrow for its caption beside the title-bar buttons.
    if (auto* grid = box->findChild<QGridLayout*>()) {
        const int captionRoom =
            box->fontMetrics().horizontalAdvance(QString::fromStdString(caption)) + kTitleBarRoom;
        grid->addItem(new QSpacerItem(captionRoom, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box->exec();
    delete box.data(); // its owner may have gone while it was up
}

namespace {

// The dialogs are owned by the home page (the first top-level window), as the program's other
// windows are; the read-only check box is never offered.
std::optional<std::string> ChooseFile(const FileDialogRequest& request, bool save) {
    QWidget* owner = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QMainWindow")) {
            owner = window;
            break;
        }
    }
    QFileDialog dialog(owner, QString::fromStdString(request.title), QString(),
                       QString::fromStdString(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (!request.initialName.empty()) {
        dialog.selectFile(QString::fromStdString(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

std::optional<std::string> CQtPrompts::ChooseSaveFile(const FileDialogRequest& request) {
    return ChooseFile(request, true);
}

std::optional<std::string> CQtPrompts::ChooseOpenFile(const FileDialogRequest& request) {
    return ChooseFile(request, false);
}
