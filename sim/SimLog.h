#pragma once
// The byte log of orvconf-sim: every byte in and out with the time it passed, in hex and as
// text, and the events of the line (port opened, closed, announcements).

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <string_view>

class CSimLog {
public:
    // Starts a new log in path; false (with the reason) when it cannot be written.
    bool Open(const QString& path, QString* error);
    bool IsOpen() const { return m_file.isOpen(); }

    void Event(const QString& text);
    // direction: "in", "out" or "drop" (received at a rate the radio does not listen at).
    void Bytes(const char* direction, std::string_view bytes, int baud);

private:
    void Line(const QString& text);

    QFile m_file;
    QElapsedTimer m_clock;
};
