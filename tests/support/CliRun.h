#pragma once
// Runs the command-line client in-process with its streams captured.

#include "cli/CliCommands.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

struct CliRunResult {
    int status = -1;
    QString out;
    QString err;
};

inline CliRunResult RunCliInProcess(const QStringList& args) {
    CliRunResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = Cli::Run(args, out, err);
    return result;
}
