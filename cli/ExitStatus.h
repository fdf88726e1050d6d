#pragma once
// orvconf-cli's exit statuses, each with its one meaning. Every command's --help, the overview,
// the README's table and the man page (made from --help) are written from this one list.

#include <QString>

#include <initializer_list>
#include <span>
#include <utility>

namespace Cli {

enum ExitStatus {
    kReadComplete = 0,
    kUsage = 1,
    kPortUnavailable = 2,
    kNoRadio = 3,
    kReadFailed = 4,
    kWriteFailed = 5,
    kInvalidDocument = 6,
    kWrittenNotAsAsked = 7,
    kOutputFailed = 8,
};

struct ExitStatusMeaning {
    ExitStatus status;
    const char* meaning;
};

// Every status in order.
std::span<const ExitStatusMeaning> ExitStatusMeanings();

// The "Exit status:" paragraph of a --help text: the statuses the command can end with, one
// a line. done says what 0 means for the command (else "done"); note follows the list.
QString ExitStatusHelp(std::initializer_list<ExitStatus> statuses, const QString& done = {},
                       const QString& note = {});

// The same paragraph for a command with statuses of its own ("diff").
QString ExitStatusHelp(std::initializer_list<std::pair<int, QString>> statuses);

// The README's table of every status.
QString ExitStatusMarkdown();

} // namespace Cli
