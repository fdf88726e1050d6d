#include "cli/PlanCheckCommand.h"

#include "base/WholeFile.h"
#include "cli/CliCommands.h"
#include "document/DocumentSet.h"
#include "document/PlanDocument.h"

#include <optional>

namespace Cli {
namespace {

const QString kStatuses = QStringLiteral(
    "\nExit status: 0 no finding, or advice only; 1 usage; 6 the check found errors, or the file\n"
    "cannot be read or is no valid plan or document (every bad line or field is named).\n");

// A settings document is JSON; anything else is taken for a CSV plan.
bool LooksLikeDocument(const QByteArray& bytes) {
    QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    return text.trimmed().startsWith('{');
}

} // namespace

int CPlanCheckCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption family(
        "family", "The family a CSV plan is for (its frequency step and slots).", "orv|qx");
    const QCommandLineOption settings(
        "settings",
        "A settings document whose slots the CSV plan is checked with, as if imported into it "
        "(its family is the plan's).",
        "DOC");
    parser.addOptions({family, settings});
    parser.addPositionalArgument("FILE", "A settings document (JSON) or a CSV channel plan.");
    const Syntax syntax{
        QStringLiteral("FILE [--family orv|qx] [--settings DOC]"),
        QStringLiteral(
            "Checks a channel plan as the settings pages do before Set: frequencies outside\n"
            "410-480 MHz or off the family's step, one frequency at two bandwidths in a slot, a\n"
            "slot in use that points to an empty channel, in the ORV repeater layout channel 63\n"
            "unlike channel 61 (errors); channels of a slot closer than their bandwidth, a\n"
            "repeater on one frequency (advice). FILE is a settings document, whose registers\n"
            "name the slots, or a CSV plan: with --settings it is checked as imported into that\n"
            "document; with --family alone only each channel and the ORV slots are checked."),
        kStatuses,
        {{"family", "--family must be orv or qx"}, {"settings", "--settings needs a file name"}}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (parser.positionalArguments().size() != 1) {
        return UsageError(parser.positionalArguments().isEmpty()
                              ? QStringLiteral("FILE is required")
                              : QStringLiteral("only one FILE can be checked"));
    }
    std::optional<RadioFamily> radioFamily;
    if (parser.isSet(family)) {
        if (parser.value(family) != "orv" && parser.value(family) != "qx") {
            return UsageError(syntax.missingValue["family"]);
        }
        radioFamily = parser.value(family) == "orv" ? FAMILY_ORV : FAMILY_QX;
    }
    if (parser.isSet(settings) && parser.value(settings).isEmpty()) {
        return UsageError(syntax.missingValue["settings"]);
    }
    const QString path = parser.positionalArguments().constFirst();
    const WholeFile::ReadResult file = WholeFile::Read(path);
    if (!file.Ok()) {
        Err() << WholeFile::ReadFailureText(file, path, true) << '\n';
        return kInvalidDocument;
    }

    std::vector<PlanCheck::Finding> findings;
    if (LooksLikeDocument(file.bytes)) {
        SettingsDocument document;
        QStringList problems = SettingsFromJson(file.bytes, &document);
        if (problems.isEmpty() && radioFamily && *radioFamily != document.family) {
            problems << QStringLiteral("family: the document is for %1, not %2")
                            .arg(document.family == FAMILY_ORV ? "orv" : "qx",
                                 parser.value(family));
        }
        if (!problems.isEmpty()) {
            Err() << "The settings in " << path << " cannot be checked:\n";
            for (const QString& problem : problems) {
                Err() << "  " << problem << '\n';
            }
            return kInvalidDocument;
        }
        findings = PlanCheck::Check(Doc::PlanInputOf(document));
    } else {
        SettingsDocument document;
        if (parser.isSet(settings)) {
            const QString settingsPath = parser.value(settings);
            RadioFamily documentFamily = radioFamily.value_or(FAMILY_ORV);
            if (!radioFamily) {
                // Without --family the document names the family.
                QByteArray json;
                SettingsDocument peek;
                if (Doc::ReadDocumentFile(settingsPath, &json).isEmpty() &&
                    SettingsFromJson(json, &peek).isEmpty()) {
                    documentFamily = peek.family;
                }
            }
            if (const QStringList problems =
                    Doc::LoadDocument(settingsPath, documentFamily, &document);
                !problems.isEmpty()) {
                Err() << "The settings in " << settingsPath << " cannot be used:\n";
                for (const QString& problem : problems) {
                    Err() << "  " << problem << '\n';
                }
                return kInvalidDocument;
            }
        } else if (!radioFamily) {
            return UsageError(QStringLiteral("a CSV plan needs --family or --settings"));
        }
        const ChannelPlanCsv::ReadResult read = ChannelPlanCsv::Read(
            file.bytes.toStdString(), Doc::PlanStepHz(radioFamily.value_or(document.family)));
        if (!read.Ok()) {
            Err() << "The plan in " << path << " cannot be read:\n";
            for (const ChannelPlanCsv::LineError& error : read.errors) {
                Err() << "  " << QString::fromStdString(error.Text(true)) << '\n';
            }
            return kInvalidDocument;
        }
        if (parser.isSet(settings)) {
            const Doc::PlanImport done = Doc::ImportPlanCsv(file.bytes.toStdString(), document);
            if (!done.left.empty()) {
                Err() << path << ": " << QString::fromStdString(Doc::RowList(done.left, true))
                      << " left out: the document's layout does not write them.\n";
            }
            findings = done.findings;
        } else {
            Doc::ChannelTable table{};
            ChannelPlanCsv::ApplyTo(read.plan, table);
            PlanCheck::PlanInput input =
                *radioFamily == FAMILY_ORV
                    ? PlanCheck::OrvPlan(table, false, 0)
                    : PlanCheck::TableOnly(table, Doc::PlanStepHz(FAMILY_QX));
            for (std::size_t row = 0; row < table.size(); ++row) {
                input.lines[row] = read.plan[row].line;
            }
            findings = PlanCheck::Check(input);
        }
    }
    WriteFindings(Out(), findings);
    if (findings.empty()) {
        Out() << "No finding.\n";
    }
    return PlanCheck::HasErrors(findings) ? kInvalidDocument : kReadComplete;
}

} // namespace Cli
