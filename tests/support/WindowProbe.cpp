// Preloaded (LD_PRELOAD) into the real orvconf by the start-option tests, so that the program
// itself carries nothing for them: once the program's windows are shown, prints the texts of
// every shown window on standard output (its title, menus, labels and buttons, one a line) and
// ends the program with status 0.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kLookAgainMs = 20;

bool AnyWindowShown() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible()) {
            return true;
        }
    }
    return false;
}

void Report() {
    // The first turns of the event loop may come before the program has shown its window.
    if (!AnyWindowShown()) {
        QTimer::singleShot(kLookAgainMs, &Report);
        return;
    }
    QTextStream out(stdout);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) {
            continue;
        }
        out << "window: " << top->windowTitle() << '\n';
        for (const QMenu* menu : top->findChildren<QMenu*>()) {
            out << "menu: " << menu->title() << '\n';
        }
        for (const QAction* action : top->findChildren<QAction*>()) {
            out << "action: " << action->text() << '\n';
        }
        for (const QLabel* label : top->findChildren<QLabel*>()) {
            out << "label: " << label->text() << '\n';
        }
        for (const QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
            out << "button: " << button->text() << '\n';
        }
    }
    out.flush();
    QCoreApplication::exit(0);
}

void Start() {
    QTimer::singleShot(0, &Report);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
