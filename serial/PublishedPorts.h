#pragma once
// Ports that other programs publish for this tool to offer beside the system's serial ports (a
// pseudo-terminal that plays a radio, for instance). One small JSON file per published port, in
// a per-user folder; a port is offered only while the process that published it is alive.

#include <QList>
#include <QString>

struct PublishedPort {
    QString name;        // "pts/4": what the home page shows and CCommPort::Open accepts
    QString devicePath;  // "/dev/pts/4"
    QString description; // written by the publisher, shown as it is
    qint64 ownerPid = 0; // the publishing process; 0 means this process
};

namespace PublishedPorts {
// The folder the entries live in ($XDG_RUNTIME_DIR or the temporary folder, per user).
QString Directory();
// Writes the entry; returns the file written (empty on failure), to be passed to Withdraw.
QString Publish(const PublishedPort& port);
void Withdraw(const QString& file);
// The ports whose owner is alive and whose device exists, by name; the entries of the others
// are removed.
QList<PublishedPort> Live();
} // namespace PublishedPorts
