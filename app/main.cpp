// ORVCONF: reads and writes the settings of ORV radios and QX260 modules over a serial port.

#include "app/ConfApp.h"
#include "connect/pages/QtPrompts.h"

int main(int argc, char** argv) {
    CConfApp app(argc, argv);
    CQtPrompts prompts;
    Prompts::Install(&prompts);
    const int status = app.Run();
    Prompts::Install(nullptr);
    return status;
}
