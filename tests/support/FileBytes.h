#pragma once
// A file's whole contents, or "<missing>" when it cannot be opened, so that a file that was never
// written compares unequal to an empty one.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
