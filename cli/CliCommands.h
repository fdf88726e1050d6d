#pragma once
// The command-line client: "ports" lists the serial ports, "read" brings a radio into command
// mode and reads its settings through the same controllers and engine as the window, "write"
// reads it the same way and then writes a settings document into it as the page's Set would;
// "export" and "import" turn a document's channels into a channel table file and back;
// "history" lists the reads kept on disk and "diff" compares two documents.

#include "cli/Command.h"
#include "cli/ExitStatus.h"
#include "serial/PortDoctor.h"

#include <QStringList>
#include <QTextStream>

namespace Cli {

// "diff" answers as diff(1) does.
enum DiffStatus { kDiffEqual = 0, kDiffDiffer = 1, kDiffTrouble = 2 };

class CPortsCommand : public CCommand {
public:
    CPortsCommand(QTextStream& out, QTextStream& err) : CCommand("ports", out, err) {}
    int Execute(const QStringList& args) override;
};

// The system is asked why a port could not be opened.
class CReadCommand : public CCommand {
public:
    CReadCommand(QTextStream& out, QTextStream& err,
                 const PortDoctor::IPortSystem& system = PortDoctor::HostSystem())
        : CCommand("read", out, err), m_system(system) {}
    int Execute(const QStringList& args) override { return Connect(args, false); }

protected:
    CReadCommand(const QString& name, QTextStream& out, QTextStream& err,
                 const PortDoctor::IPortSystem& system)
        : CCommand(name, out, err), m_system(system) {}
    // Both commands connect and read the same way; a write then sends the document.
    int Connect(const QStringList& args, bool write);

private:
    const PortDoctor::IPortSystem& m_system;
};

class CWriteCommand : public CReadCommand {
public:
    CWriteCommand(QTextStream& out, QTextStream& err,
                  const PortDoctor::IPortSystem& system = PortDoctor::HostSystem())
        : CReadCommand("write", out, err, system) {}
    int Execute(const QStringList& args) override { return Connect(args, true); }
};

class CExportCommand : public CCommand {
public:
    CExportCommand(QTextStream& out, QTextStream& err) : CCommand("export", out, err) {}
    int Execute(const QStringList& args) override;
};

class CImportCommand : public CCommand {
public:
    CImportCommand(QTextStream& out, QTextStream& err) : CCommand("import", out, err) {}
    int Execute(const QStringList& args) override;
};

class CHistoryCommand : public CCommand {
public:
    CHistoryCommand(QTextStream& out, QTextStream& err) : CCommand("history", out, err) {}
    int Execute(const QStringList& args) override;
};

class CDiffCommand : public CCommand {
public:
    CDiffCommand(QTextStream& out, QTextStream& err) : CCommand("diff", out, err) {}
    int Execute(const QStringList& args) override;
};

// Runs the command line (without the program name). Output goes to out, progress and errors to
// err; output that cannot be written ends with kOutputFailed. Needs a QCoreApplication; runs
// its own event loop while reading.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

// The overview: every command, --help and --version, the exit statuses.
QString HelpText();

} // namespace Cli
