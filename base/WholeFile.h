#pragma once
// Files the tool writes (exported tables, settings documents, saved logs, the simulator's state)
// reach the disk whole or not at all: a good file is never replaced by a partial one.

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

} // namespace WholeFile
