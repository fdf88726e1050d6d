#pragma once
// Output that is reported as written only when every byte of it was: each write and the final
// commit are checked, and a failure names the file and the system's reason.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QTextStream>

namespace Cli {

// Writes bytes whole to the file at path, or to out when path is empty. A regular file (new or
// existing) is replaced only once all of it is on disk: on failure an existing file keeps its
// content and no partial file is left. A device or pipe given as path is written directly.
// Returns "Cannot write …: reason", or an empty string when everything was written.
QString WriteOutput(const QByteArray& bytes, const QString& path, QTextStream& out);

// Flushes out; when any write to it failed, the system's reason (else an empty string).
QString StreamFailure(QTextStream& out);

// A standard stream that was closed when the program started: open, so that a stream can be
// put on it, but every write fails with the reason it was found unusable.
class CUnusableDevice : public QIODevice {
public:
    explicit CUnusableDevice(const QString& reason);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override;
};

} // namespace Cli
