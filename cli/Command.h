#pragma once
// One subcommand of orvconf-cli: its own options (QCommandLineParser) and --help, run with the
// streams it is given, so that tests can run it in-process with captured output.

#include <QCommandLineParser>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace Cli {

class CCommand {
public:
    CCommand(QString name, QTextStream& out, QTextStream& err)
        : m_name(std::move(name)), m_out(out), m_err(err) {}
    virtual ~CCommand() = default;
    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    // Runs the subcommand with the arguments after its name; returns the exit status.
    virtual int Execute(const QStringList& args) = 0;

    // How a command is written and explained, and the message for each option given empty.
    struct Syntax {
        QString synopsis;    // the options as the usage line shows them
        QString description; // what the command does
        QString epilogue;    // after the options: the exit statuses
        QMap<QString, QString> missingValue;
    };

protected:
    QTextStream& Out() { return m_out; }
    QTextStream& Err() { return m_err; }

    // Parses args with the subcommand's options, adding --help. Returns the exit status when
    // the command is done (help shown, or bad usage reported), nothing when it goes on.
    // missingValue gives, by option name, what to say when an option ends the line without
    // its value.
    std::optional<int> Parse(QCommandLineParser& parser, const Syntax& syntax,
                             const QStringList& args);

    // Reports bad usage ("orvconf-cli NAME: problem" and the command's help); returns its
    // status.
    int UsageError(const QString& problem);

private:
    QString m_name;
    QTextStream& m_out;
    QTextStream& m_err;
    QString m_help;
};

} // namespace Cli
