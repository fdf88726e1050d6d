#pragma once
// The history of reads: every completed read kept as a settings document in the user's data
// folder, so that what a radio held is on disk before anything overwrites it.

#include "document/SettingsJson.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace Doc {

// How many documents the history keeps; the oldest go first.
inline constexpr int kHistoryKept = 200;

// The folder of the history ("…/ORVCONF/history" in the user's data folder), created on demand.
// The window and the command line share it.
QString HistoryFolder();

// The port as it appears in a history file name: without "/dev/", and anything but letters,
// digits, "." and "-" becomes "-" ("pts/4" -> "pts-4").
QString PortForFileName(const QString& port);

// Keeps a read in the history, the whole document or nothing, and drops the documents beyond
// the newest kHistoryKept. Returns the new file's path, or "" with *error saying why (a read
// that cannot be kept has still been read).
QString KeepRead(const SettingsDocument& document, const QString& port, QString* error);

struct HistoryEntry {
    QString path;
    QDateTime when; // UTC
    RadioFamily family = FAMILY_ORV;
    QString port; // as in the file name
};

// The kept reads, newest first, as their file names describe them. Files of any other name are
// not the history's and are left alone.
QList<HistoryEntry> ListHistory();

} // namespace Doc
