#include "cli/CliCommands.h"

#include "base/Version.h"
#include "cli/CheckedOutput.h"
#include "cli/DoctorCommand.h"
#include "cli/PlanCheckCommand.h"
#include "cli/ReadWriteRun.h"
#include "document/DocumentSet.h"
#include "document/SettingsJson.h"
#include "serial/PortEnumerator.h"

#include <QCommandLineParser>

#include <memory>
#include <optional>

namespace Cli {

namespace {

// Exit statuses as --help lists them.
const QString kReadStatuses = QStringLiteral(
    "\nExit status: 0 read complete, 1 usage, 2 port cannot be opened, 3 no radio detected in\n"
    "time, 4 no answer or an error during the read, 8 the settings could not be written\n"
    "(the file named by --output, or standard output). Every completed read is also kept in\n"
    "the history ('orvconf-cli history').\n");

const QString kWriteStatuses = QStringLiteral(
    "\nExit status: 0 the radio saved the settings, 1 usage, 2 port cannot be opened, 3 no radio\n"
    "detected in time, 4 no answer or an error during the read, or the radio stopped answering\n"
    "during the write, or while it was read back, or it asked for another prompt or echoed\n"
    "other than was sent (the write stopped there), or its answer to the save was not\n"
    "understood (it may have saved), 5 the radio answered ERROR (the write failed),\n"
    "6 the document is invalid or cannot be read (nothing was sent; every bad field is named),\n"
    "7 written but not as asked (the radio read back after the save differs; the differences\n"
    "are printed), 8 what --dry-run would change could not be written to standard output.\n");

int RunPorts(QTextStream& out) {
    const QList<PortInfo> ports = CPortEnumerator::Enumerate();
    for (const PortInfo& port : ports) {
        out << port.name << '\t' << (port.free ? "free" : "busy") << '\t' << port.description
            << '\n';
    }
    if (ports.isEmpty()) {
        out << "no serial port found\n";
    }
    return kReadComplete;
}

} // namespace

QString HelpText() {
    return QStringLiteral(
        "Usage:\n"
        "  orvconf-cli ports\n"
        "      Lists the serial ports: name, free or busy, description. Running simulated\n"
        "      radios (orvconf-sim) are listed too.\n"
        "  orvconf-cli read --port NAME --family orv|qx [--link config-key|soft-diagnosis]\n"
        "                   [--output FILE] [--trace FILE]\n"
        "      Brings the radio into command mode and reads its settings as JSON.\n"
        "  orvconf-cli write --port NAME --family orv|qx [--link config-key|soft-diagnosis]\n"
        "                    --settings FILE [--dry-run] [--no-verify] [--trace FILE]\n"
        "      Reads the radio as 'read' does, then writes the settings document FILE into it\n"
        "      as the settings page's Set does, ending with the radio's save; then reads the\n"
        "      radio back and compares. --dry-run only prints what the write would change.\n"
        "  orvconf-cli history\n"
        "      Lists the reads kept on disk (every completed read), newest first.\n"
        "  orvconf-cli diff A.json B.json\n"
        "      Prints what differs between two settings documents (exit 0 equal, 1 differ,\n"
        "      2 trouble).\n"
        "  orvconf-cli export --family orv|qx --settings FILE --output TABLE [--format table|csv]\n"
        "      Writes the document's 64 channels as the page's channel table file (read-only),\n"
        "      or with --format csv as a channel plan a spreadsheet opens.\n"
        "  orvconf-cli import --family orv|qx --table TABLE [--settings FILE] [--output FILE]\n"
        "                     [--format table|csv]\n"
        "      Prints the document (or an empty one) with the table file (or CSV plan) put into\n"
        "      its channels.\n"
        "  orvconf-cli plan-check FILE [--family orv|qx] [--settings DOC]\n"
        "      Checks the channel plan of a settings document or a CSV plan as the pages do\n"
        "      before Set (exit 0 no finding or advice only, 6 errors found).\n"
        "  orvconf-cli doctor [--port NAME] [--language en|zh]\n"
        "      Checks why a port cannot be opened and says what to do.\n"
        "  orvconf-cli COMMAND --help\n"
        "      Explains the command's options.\n"
        "  orvconf-cli --help | --version\n"
        "      Shows this text, or the version.\n"
        "Exit status: 0 done, 1 usage, 2 port cannot be opened, 3 no radio detected in time,\n"
        "4 no answer or an error during the read, or no answer during the write, 5 the radio\n"
        "answered ERROR to the write, 6 the settings document or table file is invalid or\n"
        "cannot be read (nothing was sent or written), 7 written but not as asked (the radio\n"
        "read back after the save differs), 8 the output could not be written.\n");
}

int CPortsCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const Syntax syntax{
        {},
        QStringLiteral("Lists the serial ports: name, free or busy, description. Running "
                       "simulated radios (orvconf-sim) are listed too."),
        QStringLiteral("\nExit status: 0 listed, 1 usage, 8 the list could not be written.\n"),
        {}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(QStringLiteral("ports takes no options"));
    }
    return RunPorts(Out());
}

int CReadCommand::Connect(const QStringList& args, bool write) {
    QCommandLineParser parser;
    const QCommandLineOption port(
        "port",
        "A port name as 'ports' lists it (ttyUSB0, pts/4, COM7) or a device path such as "
        "/dev/pts/4.",
        "NAME");
    const QCommandLineOption family(
        "family",
        "orv: an ORV 5W/25W radio; switch it on when asked (30 seconds). qx: a QX260 2W module.",
        "orv|qx");
    const QCommandLineOption link(
        "link",
        "For --family qx. config-key: hold CONFIG and power the module on within 10 s. "
        "soft-diagnosis: try every serial rate and send +++ (the default).",
        "config-key|soft-diagnosis");
    const QCommandLineOption output(
        "output",
        "Write the JSON to FILE instead of standard output. An existing FILE is replaced only "
        "once the whole document is written; on failure it is left as it was.",
        "FILE");
    const QCommandLineOption settings(
        "settings",
        "The settings to write: a JSON document as 'read' prints it, for the same family. It "
        "takes the place of the registers, channels, current channel and port rate read from "
        "the radio, and is checked whole before the port is opened.",
        "FILE");
    const QCommandLineOption trace(
        "trace",
        "Write every byte sent and received, with the port's opens, rates and closes, to FILE.",
        "FILE");
    const QCommandLineOption dryRun(
        "dry-run",
        "Connect and read the radio, print what the write would change on it, and write nothing.");
    const QCommandLineOption noVerify(
        "no-verify",
        "Do not read the radio back after its save to compare it with what was written.");
    parser.addOptions({port, family, link, write ? settings : output, trace});
    if (write) {
        parser.addOptions({dryRun, noVerify});
    }
    const Syntax syntax =
        write ? Syntax{QStringLiteral("--port NAME --family orv|qx [--link "
                                      "config-key|soft-diagnosis] --settings FILE [--dry-run] "
                                      "[--no-verify] [--trace FILE]"),
                       QStringLiteral("Brings the radio into command mode, reads it, then writes "
                                      "the settings document into it as the settings page's Set "
                                      "does, ending with the radio's save. Then the radio is "
                                      "read again and compared with what was sent (in the form "
                                      "a read returns it); any difference is printed."),
                       kWriteStatuses,
                       {{"port", "--port needs a port name"},
                        {"family", "--family must be orv or qx"},
                        {"link", "--link must be config-key or soft-diagnosis"},
                        {"settings", "--settings needs a file name"}}}
              : Syntax{QStringLiteral("--port NAME --family orv|qx [--link "
                                      "config-key|soft-diagnosis] [--output FILE] [--trace FILE]"),
                       QStringLiteral(
                           "Brings the radio into command mode and reads its settings as JSON."),
                       kReadStatuses,
                       {{"port", "--port needs a port name"},
                        {"family", "--family must be orv or qx"},
                        {"link", "--link must be config-key or soft-diagnosis"},
                        {"output", "--output needs a file name"},
                        {"trace", "--trace needs a file name"}}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(
            QStringLiteral("unknown option %1").arg(parser.positionalArguments().constFirst()));
    }
    ReadOptions options;
    options.port = parser.value(port);
    options.trace = parser.value(trace);
    const QString familyName = parser.value(family);
    const QString linkName = parser.value(link);
    const QString settingsPath = write ? parser.value(settings) : QString();
    if (!write) {
        options.output = parser.value(output);
    }
    if (parser.isSet(port) && options.port.isEmpty()) {
        return UsageError(syntax.missingValue["port"]);
    }
    if (parser.isSet(family) && familyName != "orv" && familyName != "qx") {
        return UsageError(syntax.missingValue["family"]);
    }
    if (parser.isSet(link) && linkName != "config-key" && linkName != "soft-diagnosis") {
        return UsageError(syntax.missingValue["link"]);
    }
    if (!write && parser.isSet(output) && options.output.isEmpty()) {
        return UsageError(syntax.missingValue["output"]);
    }
    if (parser.isSet(trace) && options.trace.isEmpty()) {
        return UsageError(syntax.missingValue["trace"]);
    }
    if (write && parser.isSet(settings) && settingsPath.isEmpty()) {
        return UsageError(syntax.missingValue["settings"]);
    }
    if (options.port.isEmpty()) {
        return UsageError(QStringLiteral("--port is required"));
    }
    if (!parser.isSet(family)) {
        return UsageError(QStringLiteral("--family is required"));
    }
    if (write && !parser.isSet(settings)) {
        return UsageError(QStringLiteral("--settings is required"));
    }
    options.family = familyName == "orv" ? FAMILY_ORV : FAMILY_QX;
    if (parser.isSet(link) && options.family != FAMILY_QX) {
        return UsageError(QStringLiteral("--link applies to --family qx only"));
    }
    options.softDiagnosis = linkName != "config-key";

    // Everything that can be known about the document is checked before the port is opened, so
    // that the radio is never left half-written by it.
    SettingsDocument document;
    Doc::PreparedWrite prepared;
    if (write) {
        QStringList problems = Doc::LoadDocument(settingsPath, options.family, &document);
        if (problems.isEmpty()) {
            prepared = Doc::PrepareWrite(document);
            problems = prepared.problems;
        }
        if (!problems.isEmpty()) {
            Err() << "The settings in " << settingsPath
                  << " cannot be written; nothing was sent to the radio:\n";
            for (const QString& problem : problems) {
                Err() << "  " << problem << '\n';
            }
            return kInvalidDocument;
        }
        options.document = &document;
        options.write = &prepared;
        options.dryRun = parser.isSet(dryRun);
        options.verify = !parser.isSet(noVerify);
    }
    return RunReadWrite(options, Out(), Err());
}

namespace {

int Dispatch(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << HelpText();
        return kUsage;
    }
    const QString& name = args.first();
    if (name == "--help" || name == "-h" || name == "help") {
        out << HelpText();
        return kReadComplete;
    }
    if (name == "--version" || name == "-v") {
        out << "orvconf-cli " << kOrvconfVersion << '\n' << kOrvconfVersionNotice;
        return kReadComplete;
    }
    std::unique_ptr<CCommand> command;
    if (name == "ports") {
        command = std::make_unique<CPortsCommand>(out, err);
    } else if (name == "doctor") {
        command = std::make_unique<CDoctorCommand>(out, err);
    } else if (name == "read") {
        command = std::make_unique<CReadCommand>(out, err);
    } else if (name == "write") {
        command = std::make_unique<CWriteCommand>(out, err);
    } else if (name == "export") {
        command = std::make_unique<CExportCommand>(out, err);
    } else if (name == "import") {
        command = std::make_unique<CImportCommand>(out, err);
    } else if (name == "history") {
        command = std::make_unique<CHistoryCommand>(out, err);
    } else if (name == "diff") {
        command = std::make_unique<CDiffCommand>(out, err);
    } else if (name == "plan-check") {
        command = std::make_unique<CPlanCheckCommand>(out, err);
    } else {
        err << "unknown command " << name << "\n\n" << HelpText();
        return kUsage;
    }
    return command->Execute(args.mid(1));
}

} // namespace

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
    const int status = Dispatch(args, out, err);
    // What a command printed (the port list, a help text) counts only when it was written; the
    // settings document has been checked by the read itself.
    if (const QString reason = StreamFailure(out); !reason.isEmpty() && status == kReadComplete) {
        err << "Cannot write to standard output: " << reason << '\n';
        err.flush();
        return kOutputFailed;
    }
    err.flush();
    return status;
}

} // namespace Cli
