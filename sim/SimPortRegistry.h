#pragma once
// Simulated radios publish the pseudo-terminal they serve, so that the port enumeration lists it
// beside the system's own serial ports. One small JSON file per running simulator.

#include <QList>
#include <QString>

struct SimPortEntry {
    QString portName;   // "pts/4": what the home page shows and CCommPort::Open accepts
    QString devicePath; // "/dev/pts/4"
    QString family;     // "orv" or "qx"
    int baud = 0;
    qint64 pid = 0;
};

namespace SimPortRegistry {
// The folder the entries live in ($XDG_RUNTIME_DIR or the temporary folder, per user).
QString Directory();
// Writes the entry of this process; returns the file written (empty on failure).
QString Publish(const SimPortEntry& entry);
// Removes this process's entry.
void Withdraw(const QString& file);
// Entries of simulators that are still running; stale entries are removed.
QList<SimPortEntry> Running();
} // namespace SimPortRegistry
