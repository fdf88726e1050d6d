#pragma once
// The command-line client: "ports" lists the serial ports, "read" brings a radio into command
// mode and reads its settings through the same controllers and engine as the window.

#include <QStringList>
#include <QTextStream>

namespace Cli {

enum ExitStatus {
    kReadComplete = 0,
    kUsage = 1,
    kPortUnavailable = 2,
    kNoRadio = 3,
    kReadFailed = 4,
};

// Runs the command line (without the program name). Output goes to out, progress and errors to
// err. Needs a QCoreApplication; runs its own event loop while reading.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

QString HelpText();

} // namespace Cli
