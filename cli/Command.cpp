#include "cli/Command.h"

#include "cli/CliCommands.h"

namespace Cli {

std::optional<int> CCommand::Parse(QCommandLineParser& parser, const Syntax& syntax,
                                   const QStringList& args) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    parser.setApplicationDescription(syntax.description);
    // The parser's own usage line names the running executable; the command's replaces it.
    const QString options = parser.helpText().section(QLatin1Char('\n'), 1);
    m_help = QStringLiteral("Usage: orvconf-cli %1 %2\n%3%4")
                 .arg(m_name, syntax.synopsis, options, syntax.epilogue);

    const QString program = QStringLiteral("orvconf-cli ") + m_name;
    const bool parsed = parser.parse(QStringList{program} + args);
    if (parser.isSet(help)) {
        m_out << m_help;
        return kReadComplete;
    }
    if (!parsed) {
        if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
            const QString& name = unknown.constFirst();
            return UsageError(
                QStringLiteral("unknown option %1%2").arg(name.size() == 1 ? "-" : "--", name));
        }
        // The only other failures: an option given a value it does not take, or the last
        // option without its value.
        const QString last = args.isEmpty() ? QString() : args.constLast();
        const QString name = last.startsWith(QLatin1String("--")) ? last.mid(2) : QString();
        return UsageError(syntax.missingValue.value(name, parser.errorText()));
    }
    return std::nullopt;
}

int CCommand::UsageError(const QString& problem) {
    m_err << "orvconf-cli " << m_name << ": " << problem << "\n\n" << m_help;
    return kUsage;
}

} // namespace Cli
