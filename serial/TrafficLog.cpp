#include "serial/TrafficLog.h"

CTrafficLog::CTrafficLog(qsizetype memoryLimit) : m_memoryLimit(memoryLimit) {
    m_clock.start();
}

CTrafficLog::~CTrafficLog() = default;

bool CTrafficLog::WriteTo(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file->errorString());
        return false;
    }
    m_file = std::move(file);
    m_fileFailed = false;
    return true;
}

bool CTrafficLog::Finish(QString* error) {
    if (!m_file) {
        return true;
    }
    if (!m_file->flush() || m_fileFailed) {
        *error =
            QStringLiteral("Cannot write %1: %2").arg(m_file->fileName(), m_file->errorString());
        return false;
    }
    return true;
}

void CTrafficLog::Restart() {
    m_clock.restart();
    Clear();
}

void CTrafficLog::Event(const QString& text) {
    Add(QByteArray::number(m_clock.elapsed()).rightJustified(9) + " ms  --  " + text.toUtf8() +
        '\n');
}

void CTrafficLog::Bytes(Direction direction, const QByteArray& bytes, const QString& note) {
    if (bytes.isEmpty()) {
        return;
    }
    QByteArray line = QByteArray::number(m_clock.elapsed()).rightJustified(9) + " ms  " +
                      (direction == Direction::Sent ? "TX" : "RX") + "  " +
                      QByteArray::number(bytes.size()) + " bytes";
    if (!note.isEmpty()) {
        line += " (" + note.toUtf8() + ")";
    }
    line += ": " + Hex(bytes) + "  |" + Printable(bytes) + "|\n";
    Add(std::move(line));
}

QByteArray CTrafficLog::Text() const {
    QByteArray text;
    text.reserve(m_size);
    for (const QByteArray& line : m_lines) {
        text += line;
    }
    return text;
}

void CTrafficLog::Clear() {
    m_lines.clear();
    m_size = 0;
}

QByteArray CTrafficLog::Hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper();
}

QByteArray CTrafficLog::Printable(const QByteArray& bytes) {
    QByteArray text = bytes;
    for (char& c : text) {
        if (c < 0x20 || c > 0x7e) {
            c = '.';
        }
    }
    return text;
}

void CTrafficLog::Add(QByteArray line) {
    if (m_file && m_file->write(line) != line.size()) {
        m_fileFailed = true;
    }
    m_size += line.size();
    m_lines.push_back(std::move(line));
    // The oldest lines go first; the newest one always stays.
    while (m_size > m_memoryLimit && m_lines.size() > 1) {
        m_size -= m_lines.front().size();
        m_lines.pop_front();
    }
}
