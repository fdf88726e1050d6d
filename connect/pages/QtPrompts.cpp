#include "connect/pages/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
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

namespace {

// Runs a box and returns the button pressed. The box may outlive its owner while it is up.
QMessageBox::StandardButton RunBox(QMessageBox::Icon icon, const std::string& caption,
                                   const std::string& text, QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton) {
    QPointer<QMessageBox> box =
        new QMessageBox(icon, QString::fromStdString(caption), QString::fromStdString(text),
                        buttons, OwnerWindow());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setDefaultButton(defaultButton);
    // A short text would leave the box too narrow for its caption beside the title-bar buttons.
    if (auto* grid = box->findChild<QGridLayout*>()) {
        const int captionRoom =
            box->fontMetrics().horizontalAdvance(QString::fromStdString(caption)) + kTitleBarRoom;
        grid->addItem(new QSpacerItem(captionRoom, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int answer = box->exec();
    delete box.data();
    return static_cast<QMessageBox::StandardButton>(answer);
}

} // namespace

void CQtPrompts::ShowMessage(const std::string& caption, const std::string& text, PromptIcon icon) {
    RunBox(BoxIcon(icon), caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool CQtPrompts::AskYesNo(const std::string& caption, const std::string& text) {
    return RunBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::No) == QMessageBox::Yes;
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
        // A name with a folder opens the dialog in that folder.
        const QFileInfo initial(QString::fromStdString(request.initialName));
        if (initial.isAbsolute()) {
            dialog.setDirectory(initial.absolutePath());
        }
        dialog.selectFile(initial.isAbsolute() ? initial.fileName()
                                               : QString::fromStdString(request.initialName));
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
