#pragma once
// The radio's end of a pseudo-terminal: the port under test opens the slave by name, the test
// writes and reads the master. Waits keep the Qt event loop running, since the port delivers on
// this thread.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

// Processes events until done() holds; false when timeoutMs passed first.
template <typename Pred> bool WaitUntil(Pred done, int timeoutMs = 20000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(2);
    }
    return true;
}

class PtyRadio {
public:
    PtyRadio() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            m_path = QString::fromLocal8Bit(ptsname(m_master));
        }
    }
    ~PtyRadio() { Hangup(); }
    PtyRadio(const PtyRadio&) = delete;
    PtyRadio& operator=(const PtyRadio&) = delete;

    bool Ok() const { return m_master >= 0 && m_path.startsWith(QLatin1String("/dev/")); }
    QString Path() const { return m_path; }
    QString Name() const { return m_path.mid(5); } // "pts/7"

    // Writes everything, letting the port drain the terminal whenever it is full.
    bool Write(std::string_view bytes, int timeoutMs = 60000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_master, bytes.data(), bytes.size());
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else if (deadline.hasExpired()) {
                return false;
            } else {
                QTest::qWait(1);
            }
        }
        return true;
    }

    // What the port has written so far, without waiting.
    std::string TakeOutput() {
        std::string out;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {
                return out;
            }
            out.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Collects the port's output until it holds expected (true) or timeoutMs passes.
    bool WaitForOutput(const std::string& expected, std::string* seen, int timeoutMs = 20000) {
        return WaitUntil(
            [&] {
                *seen += TakeOutput();
                return seen->find(expected) != std::string::npos;
            },
            timeoutMs);
    }

    // The rate the port set on the slave. A master's termios requests act on its slave, and the
    // termios2 form shows non-standard rates as they are.
    int SlaveBaud() const {
        struct Termios2 {
            tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
            cc_t c_line;
            cc_t c_cc[19];
            speed_t c_ispeed, c_ospeed;
        } settings{};
        if (::ioctl(m_master, _IOR('T', 0x2A, Termios2), &settings) != 0) {
            return -1;
        }
        return static_cast<int>(settings.c_ospeed);
    }

    // The radio goes away: the master side closes.
    void Hangup() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    QString m_path;
};
