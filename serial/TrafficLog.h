#pragma once
// What went over a serial port, for the person who supports the user: every byte written and
// received with its direction, the time in ms since the port was opened, in hex and printable
// form, one line per burst; and the port's opens, closes, rates and holds. The newest lines are
// kept in memory up to a bound; a file, when given, receives every line as it happens.
// Used on the thread that owns the port; a line costs one formatting and one buffered write.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <deque>
#include <memory>

class CTrafficLog {
public:
    enum class Direction { Sent, Received };
    static constexpr qsizetype kDefaultMemory = 1024 * 1024;

    explicit CTrafficLog(qsizetype memoryLimit = kDefaultMemory);
    ~CTrafficLog();

    // Mirrors every later line into the file at path (replaced). False with the reason when it
    // cannot be created.
    bool WriteTo(const QString& path, QString* error);
    // Flushes the file; false with the reason when a write failed.
    bool Finish(QString* error);

    // The port was opened from closed, a new connection: the clock starts again at 0 and the
    // memory keeps this connection's lines only (the file keeps everything).
    void Restart();
    void Event(const QString& text);
    void Bytes(Direction direction, const QByteArray& bytes, const QString& note = {});

    // The lines kept in memory, oldest first.
    QByteArray Text() const;
    void Clear();

    // "41 54 0D" and "AT." for the bytes: printable ASCII as it is, anything else as '.'.
    static QByteArray Hex(const QByteArray& bytes);
    static QByteArray Printable(const QByteArray& bytes);

private:
    void Add(QByteArray line);

    const qsizetype m_memoryLimit;
    std::deque<QByteArray> m_lines;
    qsizetype m_size = 0;
    QElapsedTimer m_clock;
    std::unique_ptr<QFile> m_file;
    bool m_fileFailed = false;
};
