// "history" and "diff": the reads kept on disk, and what differs between two documents. Neither
// needs a radio.

#include "cli/CheckedOutput.h"
#include "cli/CliCommands.h"
#include "document/Compare.h"
#include "document/DocumentSet.h"
#include "document/History.h"

namespace Cli {

int CHistoryCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const Syntax syntax{
        {},
        QStringLiteral("Lists the reads kept in the history, newest first: date and time, "
                       "family, port and the document's path. Every completed read is kept; "
                       "the newest 200 stay."),
        ExitStatusHelp({kReadComplete, kUsage, kOutputFailed}, QStringLiteral("listed")),
        {}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(
            QStringLiteral("unknown option %1").arg(parser.positionalArguments().constFirst()));
    }
    const QList<Doc::HistoryEntry> entries = Doc::ListHistory();
    for (const Doc::HistoryEntry& entry : entries) {
        Out() << entry.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
              << (entry.family == FAMILY_ORV ? "orv" : "qx ") << "  " << entry.port << "  "
              << entry.path << '\n';
    }
    if (entries.isEmpty()) {
        Err() << "No reads kept yet in " << Doc::HistoryFolder() << ".\n";
    }
    return kReadComplete;
}

namespace {

// The document in path, or every reason it cannot be read, each naming the file.
QStringList LoadAny(const QString& path, SettingsDocument* document) {
    QByteArray json;
    if (const QString failure = Doc::ReadDocumentFile(path, &json); !failure.isEmpty()) {
        return {failure};
    }
    QStringList problems = SettingsFromJson(json, document);
    for (QString& problem : problems) {
        problem = path + ": " + problem;
    }
    return problems;
}

} // namespace

int CDiffCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("A"), QStringLiteral("The settings before."));
    parser.addPositionalArgument(QStringLiteral("B"), QStringLiteral("The settings after."));
    const Syntax syntax{
        QStringLiteral("A.json B.json"),
        QStringLiteral("Prints what differs from settings document A to B, in words: registers "
                       "with their meaning and both values, the ORV mode, and channel rows."),
        ExitStatusHelp({{kDiffEqual, QStringLiteral("the documents are equal")},
                        {kDiffDiffer, QStringLiteral("they differ")},
                        {kDiffTrouble, QStringLiteral("trouble: a file cannot be read or is no "
                                                      "settings document, or wrong usage")}}),
        {}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done == kReadComplete ? kDiffEqual : kDiffTrouble;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        UsageError(QStringLiteral("diff needs two settings documents"));
        return kDiffTrouble;
    }
    SettingsDocument was;
    SettingsDocument will;
    QStringList problems = LoadAny(files[0], &was);
    problems += LoadAny(files[1], &will);
    if (!problems.isEmpty()) {
        for (const QString& problem : problems) {
            Err() << problem << '\n';
        }
        return kDiffTrouble;
    }
    const QList<Doc::Difference> differences = Doc::CompareDocuments(was, will, false);
    for (const Doc::Difference& difference : differences) {
        Out() << difference.english << '\n';
    }
    // An answer that did not reach its reader is no answer.
    if (const QString reason = StreamFailure(Out()); !reason.isEmpty()) {
        Err() << "Cannot write to standard output: " << reason << '\n';
        return kDiffTrouble;
    }
    return differences.isEmpty() ? kDiffEqual : kDiffDiffer;
}

} // namespace Cli
