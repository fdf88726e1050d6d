#include "cli/CheckedOutput.h"

#include "base/WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace Cli {
namespace {

QString Failure(const QString& target, const QString& reason) {
    return QStringLiteral("Cannot write %1: %2").arg(target, reason);
}

// A character device, FIFO or socket has no content to keep and cannot be replaced by renaming
// (renaming over /dev/full would even replace the device), so it is written in place.
QString WriteInPlace(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !WholeFile::WriteAll(file, bytes)) {
        return Failure(path, file.errorString());
    }
    return {};
}

QString Replace(const QByteArray& bytes, const QString& path) {
    const QString reason = WholeFile::Write(path, bytes);
    return reason.isEmpty() ? QString() : Failure(path, reason);
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
