// "export" and "import": a settings document's channels to a channel table file and back, as
// the settings pages' table buttons do. Neither needs a radio.

#include "base/WholeFile.h"
#include "cli/CheckedOutput.h"
#include "cli/CliCommands.h"
#include "cli/PlanCheckCommand.h"
#include "document/DocumentSet.h"
#include "document/PlanDocument.h"

#include <QFile>
#include <QFileInfo>

namespace Cli {
namespace {

const QString kFamilyHelp = QStringLiteral(
    "orv: the ORV table file (a 328-byte record as hexadecimal text); qx: the QX table file "
    "(64 text lines).");

const QString kExportStatuses = QStringLiteral(
    "\nExit status: 0 written, 1 usage, 6 the document is invalid or cannot be read (every bad\n"
    "field is named; nothing was written), 8 the table file could not be written (an earlier\n"
    "export is read-only and is never replaced).\n");

const QString kImportStatuses = QStringLiteral(
    "\nExit status: 0 done (a QX table's lines that are no channel line are skipped and told),\n"
    "1 usage, 6 the document or the table file is invalid or cannot be read (every bad field is\n"
    "named; a damaged table file is refused whole and nothing is written), 8 the document could\n"
    "not be written (the file named by --output, or standard output).\n");

const QString kFormatHelp = QStringLiteral(
    "table: the family's channel table file (default); csv: a channel plan a spreadsheet opens "
    "(columns channel, frequency_mhz, bandwidth_khz, direction, name, comment).");

// The --format value: true for csv, false for table, nothing for anything else.
std::optional<bool> CsvFormat(const QCommandLineParser& parser, const QCommandLineOption& format) {
    if (!parser.isSet(format) || parser.value(format) == "table") {
        return false;
    }
    if (parser.value(format) == "csv") {
        return true;
    }
    return std::nullopt;
}

void ReportProblems(QTextStream& err, const QString& what, const QStringList& problems) {
    err << what << '\n';
    for (const QString& problem : problems) {
        err << "  " << problem << '\n';
    }
}

// The --family value, or nothing when it is missing or not a family.
std::optional<RadioFamily> FamilyOf(const QCommandLineParser& parser,
                                    const QCommandLineOption& family) {
    if (parser.value(family) == "orv") {
        return FAMILY_ORV;
    }
    if (parser.value(family) == "qx") {
        return FAMILY_QX;
    }
    return std::nullopt;
}

// What is wrong with the arguments every table command shares (no stray words, a family), or
// an empty text.
QString SharedArgumentProblem(const QCommandLineParser& parser, const QCommandLineOption& family,
                              const CCommand::Syntax& syntax) {
    if (!parser.positionalArguments().isEmpty()) {
        return QStringLiteral("unknown option %1").arg(parser.positionalArguments().constFirst());
    }
    if (!parser.isSet(family)) {
        return QStringLiteral("--family is required");
    }
    return FamilyOf(parser, family) ? QString() : syntax.missingValue.value("family");
}

// As the pages leave an exported table: read-only, so that a later export does not replace it.
QString MakeReadOnly(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        return {}; // a device or pipe given as the output
    }
    const QFileDevice::Permissions writable = QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                              QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFile file(path);
    if (!file.setPermissions(file.permissions() & ~writable)) {
        return QStringLiteral("Cannot make %1 read-only: %2").arg(path, file.errorString());
    }
    return {};
}

int ImportTable(QTextStream& err, const std::string& bytes, const QString& tablePath,
                SettingsDocument& document) {
    const Doc::TableImport done = Doc::ImportTableFile(bytes, document);
    if (!done.refused.isEmpty()) {
        err << "The table in " << tablePath << " cannot be imported; nothing was written:\n  "
            << done.refused << '\n';
        return kInvalidDocument;
    }
    if (!done.skipped.isEmpty()) {
        err << tablePath << ": " << done.skipped << '\n';
    }
    return kReadComplete;
}

bool ImportPlan(QTextStream& err, const std::string& bytes, const QString& planPath,
                SettingsDocument& document) {
    const Doc::PlanImport done = Doc::ImportPlanCsv(bytes, document);
    if (!done.refused.empty()) {
        err << "The plan in " << planPath << " cannot be imported; nothing was written:\n";
        for (const ChannelPlanCsv::LineError& error : done.refused) {
            err << "  " << QString::fromStdString(error.Text(true)) << '\n';
        }
        return false;
    }
    if (!done.left.empty()) {
        err << planPath << ": " << QString::fromStdString(Doc::RowList(done.left, true))
            << " left as they are: the document's layout does not write them.\n";
    }
    WriteFindings(err, done.findings);
    return true;
}

} // namespace

void WriteFindings(QTextStream& stream, const std::vector<PlanCheck::Finding>& findings) {
    for (const PlanCheck::Finding& finding : findings) {
        stream << (finding.severity == PlanCheck::Severity::Error ? "error: " : "advice: ")
               << QString::fromStdString(finding.Text(true)) << '\n';
    }
}

int CExportCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption family("family", kFamilyHelp, "orv|qx");
    const QCommandLineOption settings(
        "settings", "The settings document whose channels are exported, as 'read' prints it.",
        "FILE");
    const QCommandLineOption output(
        "output",
        "The table file to write. It is written whole or not at all, and left read-only; an "
        "existing read-only file is not replaced. A CSV plan is replaced and stays writable.",
        "TABLE");
    const QCommandLineOption format("format", kFormatHelp, "table|csv");
    parser.addOptions({family, settings, output, format});
    const Syntax syntax{
        QStringLiteral("--family orv|qx --settings FILE --output TABLE [--format table|csv]"),
        QStringLiteral("Writes the 64 channels of a settings document as the settings page's "
                       "channel table file, or as a CSV channel plan."),
        kExportStatuses,
        {{"family", "--family must be orv or qx"},
         {"settings", "--settings needs a file name"},
         {"output", "--output needs a file name"},
         {"format", "--format must be table or csv"}}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (const QString problem = SharedArgumentProblem(parser, family, syntax); !problem.isEmpty()) {
        return UsageError(problem);
    }
    const std::optional<RadioFamily> radioFamily = FamilyOf(parser, family);
    const std::optional<bool> csv = CsvFormat(parser, format);
    if (!csv) {
        return UsageError(syntax.missingValue["format"]);
    }
    for (const auto* option : {&settings, &output}) {
        const QString name = option->names().constFirst();
        if (parser.value(*option).isEmpty()) {
            return UsageError(parser.isSet(*option) ? syntax.missingValue[name]
                                                    : QStringLiteral("--%1 is required").arg(name));
        }
    }
    const QString settingsPath = parser.value(settings);
    const QString tablePath = parser.value(output);

    SettingsDocument document;
    if (const QStringList problems = Doc::LoadDocument(settingsPath, *radioFamily, &document);
        !problems.isEmpty()) {
        ReportProblems(Err(),
                       QStringLiteral("The settings in %1 cannot be exported; nothing was "
                                      "written:")
                           .arg(settingsPath),
                       problems);
        return kInvalidDocument;
    }
    if (*csv) {
        const std::string plan = Doc::PlanCsvOf(document);
        if (const QString failure = WriteOutput(QByteArray::fromStdString(plan), tablePath, Out());
            !failure.isEmpty()) {
            Err() << failure << '\n';
            return kOutputFailed;
        }
        Err() << "Channel plan written to " << tablePath << ".\n";
        return kReadComplete;
    }
    // Read-only by its mode, whoever runs us: even a user who could write it anyway does not
    // replace an earlier export.
    const QFileInfo target(tablePath);
    if (target.isFile() &&
        (!target.isWritable() || !target.permissions().testFlag(QFileDevice::WriteOwner))) {
        Err() << "Cannot write " << tablePath
              << ": it is read-only (an earlier export is never replaced).\n";
        return kOutputFailed;
    }
    const std::string bytes = Doc::TableFileOf(document);
    QString failure = WriteOutput(QByteArray::fromStdString(bytes), tablePath, Out());
    if (failure.isEmpty()) {
        failure = MakeReadOnly(tablePath);
    }
    if (!failure.isEmpty()) {
        Err() << failure << '\n';
        return kOutputFailed;
    }
    Err() << "Channel table written to " << tablePath << ".\n";
    return kReadComplete;
}

int CImportCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption family("family", kFamilyHelp, "orv|qx");
    const QCommandLineOption table("table", "The channel table file (or CSV plan) to import.",
                                   "TABLE");
    const QCommandLineOption settings(
        "settings",
        "The settings document the table goes into, as 'read' prints it (default: an empty "
        "document of the family). The ORV table fills the channels its mode's layout shows.",
        "FILE");
    const QCommandLineOption output(
        "output",
        "Write the JSON to FILE instead of standard output. An existing FILE is replaced only "
        "once the whole document is written.",
        "FILE");
    const QCommandLineOption format("format", kFormatHelp, "table|csv");
    parser.addOptions({family, table, settings, output, format});
    const Syntax syntax{
        QStringLiteral("--family orv|qx --table TABLE [--settings FILE] [--output FILE] "
                       "[--format table|csv]"),
        QStringLiteral("Prints a settings document with a channel table file (or a CSV plan) put "
                       "into its channels, as the settings page's import does. A CSV plan is "
                       "checked as the page checks it; what the check finds goes to standard "
                       "error."),
        kImportStatuses,
        {{"family", "--family must be orv or qx"},
         {"table", "--table needs a file name"},
         {"settings", "--settings needs a file name"},
         {"output", "--output needs a file name"},
         {"format", "--format must be table or csv"}}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (const QString problem = SharedArgumentProblem(parser, family, syntax); !problem.isEmpty()) {
        return UsageError(problem);
    }
    const std::optional<RadioFamily> radioFamily = FamilyOf(parser, family);
    for (const auto* option : {&table, &settings, &output}) {
        const QString name = option->names().constFirst();
        if (parser.isSet(*option) && parser.value(*option).isEmpty()) {
            return UsageError(syntax.missingValue[name]);
        }
    }
    if (!parser.isSet(table)) {
        return UsageError(QStringLiteral("--table is required"));
    }
    const std::optional<bool> csv = CsvFormat(parser, format);
    if (!csv) {
        return UsageError(syntax.missingValue["format"]);
    }

    SettingsDocument document = Doc::EmptyDocument(*radioFamily);
    if (parser.isSet(settings)) {
        if (const QStringList problems =
                Doc::LoadDocument(parser.value(settings), *radioFamily, &document);
            !problems.isEmpty()) {
            ReportProblems(
                Err(),
                QStringLiteral("The settings in %1 cannot be used:").arg(parser.value(settings)),
                problems);
            return kInvalidDocument;
        }
    }
    const QString tablePath = parser.value(table);
    const WholeFile::ReadResult file = WholeFile::Read(tablePath);
    if (!file.Ok()) {
        Err() << WholeFile::ReadFailureText(file, tablePath, true) << '\n';
        return kInvalidDocument;
    }
    if (*csv) {
        if (!ImportPlan(Err(), file.bytes.toStdString(), tablePath, document)) {
            return kInvalidDocument;
        }
    } else if (const int status = ImportTable(Err(), file.bytes.toStdString(), tablePath, document);
               status != kReadComplete) {
        return status;
    }
    const QByteArray json = SettingsToJson(document.settings, document.family);
    if (const QString failure = WriteOutput(json, parser.value(output), Out());
        !failure.isEmpty()) {
        Err() << failure << '\n';
        return kOutputFailed;
    }
    return kReadComplete;
}

} // namespace Cli
