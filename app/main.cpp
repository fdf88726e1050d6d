// ORVCONF: reads and writes the settings of ORV radios and QX260 modules over a serial port.

#include "app/ConfApp.h"
#include "app/Language.h"
#include "base/Version.h"
#include "connect/pages/QtPrompts.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The arguments (null-terminated) without the language option and its value, which
// Language::ReadStartLanguage has taken; Qt takes its own options from the rest.
std::vector<char*> WithoutLanguage(int argc, char** argv) {
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--language") {
            ++i; // its value
        } else if (!arg.starts_with("--language=")) {
            rest.push_back(argv[i]);
        }
    }
    rest.push_back(nullptr);
    return rest;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") { // answered without a display
        return std::printf("orvconf %s\n%s", kOrvconfVersion, kOrvconfVersionNotice) < 0 ? 1 : 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--help") { // the man page is made from this
        return std::printf("Usage: orvconf [--language zh|en] [--help] [--version]\n"
                           "Reads and writes the settings of ORV radios and QX260 modules over a "
                           "serial port.\n\n"
                           "The window asks for everything else: pick the serial port and the "
                           "radio family, bring\nthe radio into command mode as the window says, "
                           "change the settings and press Set.\nThe Instructions menu item opens "
                           "11.ini, found beside the program or in the data\nfolder "
                           "(share/orvconf), in the desktop's text editor.\n\n"
                           "Options:\n"
                           "  --language zh|en  Start in Chinese (zh, the default) or English "
                           "(en), as if\n"
                           "                    chosen from the Language menu.\n"
                           "  --help            Show this text and exit.\n"
                           "  --version         Show the version and exit.\n") < 0
                   ? 1
                   : 0;
    }
    // Checked before the application object, so a wrong value needs no display.
    const Language::StartLanguage language = Language::ReadStartLanguage(argc, argv);
    if (!language.error.empty()) {
        std::fprintf(stderr, "%s\n", language.error.c_str());
        return 1;
    }
    // Kept for the application's lifetime, as Qt requires.
    std::vector<char*> args = WithoutLanguage(argc, argv);
    int count = static_cast<int>(args.size()) - 1;
    CConfApp app(count, args.data());
    // Qt has taken its own options (-platform, -style, ...); anything left is not ours either.
    if (count > 1) {
        std::string rest;
        for (int i = 1; i < count; ++i) {
            rest += std::string(rest.empty() ? "" : " ") + args[static_cast<std::size_t>(i)];
        }
        std::fprintf(stderr, "orvconf: unknown option or argument: %s (see orvconf --help)\n",
                     rest.c_str());
        return 1;
    }
    CQtPrompts prompts;
    Prompts::Install(&prompts);
    const int status = app.Run(language.english);
    Prompts::Install(nullptr);
    return status;
}
