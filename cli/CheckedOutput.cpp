#include "cli/CheckedOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Cli {
namespace {

QString Failure(const QString& target, const QString& reason) {
    return QStringLiteral("Cannot write %1: %2").arg(target, reason);
}

// Writes all of bytes to an unbuffered file. A short write is followed by another for the rest,
// which either goes on or fails with the system's reason (a short write alone gives none).
bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// A character device, FIFO or socket has no content to keep and cannot be replaced by renaming
// (renaming over /dev/full would even replace the device), so it is written in place.
QString WriteInPlace(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !WriteAll(file, bytes)) {
        return Failure(path, file.errorString());
    }
    return {};
}

QString Replace(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    // Unbuffered: the commit would rename a temporary file whose last buffered bytes failed to
    // reach the disk (the flush inside it does not count as a write error).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return Failure(path, file.errorString());
    }
    if (!WriteAll(file, bytes)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit(); // removes the temporary file
        return Failure(path, reason);
    }
    if (!file.commit()) {
        return Failure(path, file.errorString());
    }
    return {};
}

} // namespace

QString StreamFailure(QTextStream& out) {
    out.flush();
    if (out.status() == QTextStream::Ok) {
        return {};
    }
    const QIODevice* device = out.device();
    return device != nullptr && !device->errorString().isEmpty() ? device->errorString()
                                                                 : QStringLiteral("write failed");
}

QString WriteOutput(const QByteArray& bytes, const QString& path, QTextStream& out) {
    if (path.isEmpty()) {
        out << QString::fromUtf8(bytes);
        const QString reason = StreamFailure(out);
        return reason.isEmpty() ? QString() : Failure(QStringLiteral("to standard output"), reason);
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        return WriteInPlace(bytes, path);
    }
    return Replace(bytes, path);
}

CUnusableDevice::CUnusableDevice(const QString& reason) {
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    setErrorString(reason);
}

qint64 CUnusableDevice::writeData(const char*, qint64) {
    return -1;
}

} // namespace Cli
