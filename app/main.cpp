// ORVCONF: reads and writes the settings of ORV radios and QX260 modules over a serial port.

#include "app/ConfApp.h"
#include "app/Screenshots.h"
#include "connect/pages/QtPrompts.h"

#include <cstdio>

int main(int argc, char** argv) {
    CConfApp app(argc, argv);
    CQtPrompts prompts;
    Prompts::Install(&prompts);

    // For the documentation only: every window of the program drawn into PNG files.
    const QStringList args = QCoreApplication::arguments();
    const qsizetype shots = args.indexOf(QStringLiteral("--screenshots"));
    int status = 0;
    if (shots > 0) {
        if (shots + 1 >= args.size()) {
            std::fprintf(stderr, "usage: orvconf [--screenshots FOLDER]\n");
            status = 1;
        } else {
            status = RenderScreenshots(args.at(shots + 1));
        }
    } else {
        status = app.Run();
    }
    Prompts::Install(nullptr);
    return status;
}
