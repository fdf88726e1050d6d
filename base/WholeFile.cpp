#include "base/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace WholeFile {
// A short write is followed by another for the rest, which either goes on or fails with the
// system's reason (a short write alone gives none).
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

QString Write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Never fall back to writing over the file in place: that is the partial file we avoid.
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered save file flushes its last bytes inside commit() and renames the
    // temporary file even when that flush failed, leaving a truncated file in place of the old.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    if (!WriteAll(file, bytes)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit(); // removes the temporary file
        return reason.isEmpty() ? QStringLiteral("write failed") : reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

ReadResult Read(const QString& path, qint64 most) {
    ReadResult result;
    // Opening a folder succeeds on some systems and then reads nothing: say what it is.
    if (QFileInfo(path).isDir()) {
        result.failure = ReadFailure::CannotOpen;
        result.reason = QStringLiteral("it is a folder");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.failure = ReadFailure::CannotOpen;
        result.reason = file.errorString();
        return result;
    }
    // A pipe or a device may deliver its bytes in pieces (a file's reads block until there are
    // some, so an empty one is the end); the bound ends the loop too, so /dev/zero costs one
    // bound's worth of reading and no more.
    const qint64 limit = most + 1;
    while (result.bytes.size() < limit) {
        const QByteArray piece = file.read(limit - result.bytes.size());
        if (file.error() != QFileDevice::NoError) {
            result.failure = ReadFailure::CannotRead;
            result.reason = file.errorString();
            result.bytes.clear();
            return result;
        }
        if (piece.isEmpty()) {
            break;
        }
        result.bytes += piece;
    }
    if (result.bytes.size() > most) {
        result.failure = ReadFailure::TooLarge;
    }
    return result;
}

QString ReadFailureText(const ReadResult& result, const QString& path, bool english, qint64 most) {
    switch (result.failure) {
    case ReadFailure::None:
        return {};
    case ReadFailure::CannotOpen:
    case ReadFailure::CannotRead:
        return (english ? QStringLiteral("Cannot read %1: %2") : QStringLiteral("无法读取 %1：%2"))
            .arg(path, result.reason);
    case ReadFailure::TooLarge:
        break;
    }
    const QString size = most % (1 << 20) == 0 ? QStringLiteral("%1 MiB").arg(most >> 20)
                                               : QStringLiteral("%1 bytes").arg(most);
    return (english ? QStringLiteral("Cannot read %1: it is larger than %2, more than any file "
                                     "this program reads")
                    : QStringLiteral("无法读取 %1：文件大于 %2，不是本程序能读取的文件"))
        .arg(path, size);
}

} // namespace WholeFile
