#include "sim/SimLog.h"

#include <QDateTime>

namespace {
constexpr int kBytesPerLine = 16;
}

bool CSimLog::Open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = QStringLiteral("cannot write the log %1: %2").arg(path, m_file.errorString());
        return false;
    }
    m_clock.start();
    return true;
}

void CSimLog::Line(const QString& text) {
    if (!m_file.isOpen()) {
        return;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    const double seconds = static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
    m_file.write(
        QStringLiteral("%1 %2  %3\n").arg(stamp).arg(seconds, 10, 'f', 4).arg(text).toUtf8());
    m_file.flush();
}

void CSimLog::Event(const QString& text) {
    Line(QStringLiteral("--   %1").arg(text));
}

void CSimLog::Bytes(const char* direction, std::string_view bytes, int baud) {
    for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const std::string_view part = bytes.substr(start, kBytesPerLine);
        QString hex;
        QString text;
        for (char c : part) {
            const auto byte = static_cast<unsigned char>(c);
            hex += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0'));
            text += byte >= 0x20 && byte < 0x7f ? QChar(byte) : QChar('.');
        }
        Line(QStringLiteral("%1 %2 %3|%4|")
                 .arg(QLatin1String(direction), -4)
                 .arg(baud, 6)
                 .arg(hex, -3 * kBytesPerLine)
                 .arg(text));
    }
}
