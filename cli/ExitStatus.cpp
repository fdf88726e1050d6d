#include "cli/ExitStatus.h"

#include <QStringList>

#include <array>

namespace Cli {
namespace {

constexpr std::array kMeanings{
    ExitStatusMeaning{kReadComplete, "done"},
    ExitStatusMeaning{kUsage, "usage: an unknown command or option, or an option without its "
                              "value or with a bad one"},
    ExitStatusMeaning{kPortUnavailable,
                      "the serial port cannot be opened ('orvconf-cli doctor' says why)"},
    ExitStatusMeaning{kNoRadio, "no radio detected in time"},
    ExitStatusMeaning{kReadFailed,
                      "no answer or an error during the read; in a write, also: the radio "
                      "stopped answering, asked for another prompt than the one due or echoed "
                      "other than was sent (the write stops there), or gave an answer to the "
                      "save that was not understood (it may have saved)"},
    ExitStatusMeaning{kWriteFailed,
                      "the radio answered ERROR to the write; the settings were not saved"},
    ExitStatusMeaning{kInvalidDocument,
                      "the settings document or table file is invalid or cannot be read; every "
                      "bad field is named, it is checked before the port is opened, and nothing "
                      "is sent or written"},
    ExitStatusMeaning{kWrittenNotAsAsked,
                      "written but not as asked: the radio read back after its save differs "
                      "from what was sent; the differences are printed"},
    ExitStatusMeaning{kOutputFailed,
                      "the output could not be written; nothing is reported as written unless "
                      "all of it was, an existing output file is left as it was, and an earlier "
                      "read-only export is never replaced"},
};

// Looked up by status.
constexpr bool InOrder() {
    for (std::size_t i = 0; i < kMeanings.size(); ++i) {
        if (kMeanings[i].status != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(InOrder());

constexpr qsizetype kHelpWidth = 79;
const QString kHangingIndent = QStringLiteral("     ");

// text broken at spaces into lines of at most kHelpWidth, the first starting with first and the
// others indented below it.
QString Wrapped(const QString& first, const QString& text) {
    QString result = first;
    qsizetype column = first.size();
    bool lineEmpty = true;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        if (!lineEmpty && column + 1 + word.size() > kHelpWidth) {
            result += '\n' + kHangingIndent;
            column = kHangingIndent.size();
            lineEmpty = true;
        }
        if (!lineEmpty) {
            result += ' ';
            ++column;
        }
        result += word;
        column += word.size();
        lineEmpty = false;
    }
    return result + '\n';
}

} // namespace

std::span<const ExitStatusMeaning> ExitStatusMeanings() {
    return kMeanings;
}

QString ExitStatusHelp(std::initializer_list<ExitStatus> statuses, const QString& done,
                       const QString& note) {
    QString text = QStringLiteral("\nExit status:\n");
    for (const ExitStatus status : statuses) {
        const QString meaning = status == kReadComplete && !done.isEmpty()
                                    ? done
                                    : QString::fromUtf8(kMeanings[status].meaning);
        text += Wrapped(QStringLiteral("  %1  ").arg(status), meaning);
    }
    if (!note.isEmpty()) {
        text += Wrapped(QStringLiteral("  "), note);
    }
    return text;
}

QString ExitStatusHelp(std::initializer_list<std::pair<int, QString>> statuses) {
    QString text = QStringLiteral("\nExit status:\n");
    for (const auto& [status, meaning] : statuses) {
        text += Wrapped(QStringLiteral("  %1  ").arg(status), meaning);
    }
    return text;
}

QString ExitStatusMarkdown() {
    QString text = QStringLiteral("| status | meaning |\n|---|---|\n");
    for (const ExitStatusMeaning& entry : kMeanings) {
        text += QStringLiteral("| %1 | %2 |\n").arg(entry.status).arg(entry.meaning);
    }
    return text;
}

} // namespace Cli
