// ORVCONF: reads and writes the settings of ORV radios and QX260 modules over a serial port.

#include "app/ConfApp.h"
#include "app/Screenshots.h"
#include "base/Version.h"
#include "connect/pages/QtPrompts.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") { // answered without a display
        return std::printf("orvconf %s\n", kOrvconfVersion) < 0 ? 1 : 0;
    }
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
