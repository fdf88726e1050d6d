#pragma once
// Ports that are no usable serial port, as a user may give them: a regular file, a folder,
// /dev/null, a pseudo-terminal another program holds, and the link of an adapter that was pulled
// out after it was listed (link and device gone; a bare pseudo-terminal's number would soon be
// taken by another one). The regular file must come through every attempt unchanged.

#include "tests/support/PtyPair.h"

#include <QByteArray>
#include <QFile>
#include <QSerialPort>
#include <QString>
#include <QTemporaryDir>

class CBadPorts {
public:
    // False when the machine cannot give one of them.
    bool Make() {
        QFile f(file);
        if (!dir.isValid() || !f.open(QIODevice::WriteOnly) ||
            f.write(kFileText) != kFileText.size()) {
            return false;
        }
        f.close();
        if (!m_held.Ok() || !m_holder.open(QIODevice::ReadWrite)) {
            return false;
        }
        {
            PtyPair pty;
            if (!pty.Ok() || !QFile::link(pty.SlavePath(), gone)) {
                return false;
            }
        }
        return QFile::remove(gone);
    }

    QString Held() const { return m_held.SlavePath(); }

    bool FileUntouched() const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) && f.readAll() == kFileText;
    }

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("regular-file"));
    const QString gone = dir.filePath(QStringLiteral("usb-adapter-if00"));

private:
    inline static const QByteArray kFileText = "just text\n";
    PtyPair m_held;
    QSerialPort m_holder{m_held.SlavePath()};
};
