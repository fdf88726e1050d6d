#include "cli/CheckedOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Cli {
namespace {

QString Failure(const QString& target, const QString& reason) {
    return QStringLiteral("Cannot write %1: %2").arg(target, reason);
}

// A character device, FIFO or socket has no content to keep and cannot be replaced by renaming
// (renaming over /dev/full would even replace the device), so it is written in place.
QString WriteInPlace(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        return Failure(path, file.errorString());
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return Failure(path, file.errorString());
    }
    return {};
}

QString Replace(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Failure(path, file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Failure(path, reason);
    }
    // The commit flushes, syncs and renames; the temporary file goes when any step fails.
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
