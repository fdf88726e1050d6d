#pragma once
// Files the tool writes (exported tables, settings documents, saved logs, the simulator's state)
// reach the disk whole or not at all: a good file is never replaced by a partial one. Files it
// reads are read whole, up to a bound: no file it understands is anywhere near a mebibyte, and a
// device such as /dev/zero or a huge file must end in a refusal, not in memory running out.

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace WholeFile {

// Replaces the file at path with bytes only once all of them are on disk; on any failure (full
// disk, read-only directory, file size limit) an existing file keeps its content and no partial
// or temporary file is left. Returns the system's reason, or an empty string on success.
QString Write(const QString& path, const QByteArray& bytes);

// Writes all of bytes to an open unbuffered file; false with the file's error set otherwise.
bool WriteAll(QFileDevice& file, const QByteArray& bytes);

// The most any file the tool reads may hold: settings documents, channel table files, history
// entries, the simulator's state.
inline constexpr qint64 kMostReadBytes = 1 << 20;

enum class ReadFailure {
    None,
    CannotOpen, // absent, a folder, no permission: reason says which
    CannotRead, // opened, but reading failed part way
    TooLarge,   // more than the bound; bytes holds the first bound + 1 of them
};

struct ReadResult {
    QByteArray bytes;
    ReadFailure failure = ReadFailure::None;
    QString reason; // the system's reason for CannotOpen and CannotRead

    bool Ok() const { return failure == ReadFailure::None; }
};

// Reads the whole file at path (a regular file, a pipe or a device alike), but never more than
// most + 1 bytes: a file beyond most is TooLarge.
ReadResult Read(const QString& path, qint64 most = kMostReadBytes);

// Why a read failed, in a sentence that names the file: "Cannot read PATH: REASON" or that it is
// larger than the bound, in English or Chinese. Empty for a read that succeeded.
QString ReadFailureText(const ReadResult& result, const QString& path, bool english,
                        qint64 most = kMostReadBytes);

} // namespace WholeFile
