#pragma once
// The application object: runs the home page until it is closed, then ends the program.

#include <QApplication>

#include <optional>

class CConfApp : public QApplication {
    Q_OBJECT
public:
    CConfApp(int& argc, char** argv);

    // Shows the main window and runs until it is closed; returns the exit status. A language
    // given starts the window as if that language had been chosen from the menu.
    int Run(std::optional<bool> english = std::nullopt);
};
