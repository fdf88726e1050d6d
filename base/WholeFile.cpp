#include "base/WholeFile.h"

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

} // namespace WholeFile
