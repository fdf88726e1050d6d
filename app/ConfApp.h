#pragma once
// The application object: runs the home page until it is closed, then ends the program.

#include <QApplication>

class CConfApp : public QApplication {
    Q_OBJECT
public:
    CConfApp(int& argc, char** argv);

    // Shows the main window and runs until it is closed; returns the exit status.
    int Run();
};
