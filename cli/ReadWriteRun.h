#pragma once
// One run of "read" or "write": opens the port, brings the radio into command mode through the
// same controllers as the window, reads it, and for a write sends the document and reads it back.

#include <QString>
#include <QTextStream>

#include "exchange/RadioSettings.h"

struct SettingsDocument;
namespace Doc {
struct PreparedWrite;
}

namespace Cli {

struct ReadOptions {
    QString port;
    RadioFamily family = FAMILY_ORV;
    bool softDiagnosis = true;
    QString output;
    QString trace; // the traffic log's file, or empty
    // For a write: the document and what Set prepared from it; nothing for a read.
    const SettingsDocument* document = nullptr;
    const Doc::PreparedWrite* write = nullptr;
    // For a write: only show what it would change; read the radio back after the save.
    bool dryRun = false;
    bool verify = true;
};

// As the page appears only after the read's last answer has settled, the write's first command

// Runs its own event loop until the run ends; returns the exit status.
int RunReadWrite(const ReadOptions& options, QTextStream& out, QTextStream& err);

} // namespace Cli
