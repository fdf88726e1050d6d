#pragma once
// The command-line client: "ports" lists the serial ports, "read" brings a radio into command
// mode and reads its settings through the same controllers and engine as the window.

#include "cli/Command.h"

#include <QStringList>
#include <QTextStream>

namespace Cli {

enum ExitStatus {
    kReadComplete = 0,
    kUsage = 1,
    kPortUnavailable = 2,
    kNoRadio = 3,
    kReadFailed = 4,
    // 5 and 6 belong to the write command (the radio answered ERROR; the document is invalid).
    kOutputFailed = 7,
};

class CPortsCommand : public CCommand {
public:
    CPortsCommand(QTextStream& out, QTextStream& err) : CCommand("ports", out, err) {}
    int Execute(const QStringList& args) override;
};

class CReadCommand : public CCommand {
public:
    CReadCommand(QTextStream& out, QTextStream& err) : CCommand("read", out, err) {}
    int Execute(const QStringList& args) override;
};

// Runs the command line (without the program name). Output goes to out, progress and errors to
// err; output that cannot be written ends with kOutputFailed. Needs a QCoreApplication; runs
// its own event loop while reading.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

// The overview: every command, --help and --version, the exit statuses.
QString HelpText();

} // namespace Cli
