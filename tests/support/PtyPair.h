#pragma once
// A pseudo-terminal pair for tests that play the radio's side of a serial line: the program
// opens the slave by name, the test reads and writes the master.

#include "serial/LineRate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

class PtyPair {
public:
    PtyPair() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    QString SlavePath() const { return m_slavePath; }
    // The name as the program shows it ("pts/7").
    QString SlaveName() const { return m_slavePath.mid(5); }

    void CloseMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

    void Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                Pump(1);
            }
        }
    }

    // Reads what the program wrote so far (processing Qt events meanwhile for up to waitMs).
    std::string Read(int waitMs = 0) {
        std::string out;
        QElapsedTimer clock;
        clock.start();
        do {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                out.append(buffer, static_cast<std::size_t>(n));
            }
            if (!out.empty()) {
                break;
            }
            Pump(2);
        } while (clock.elapsed() < waitMs);
        return out;
    }

    // Collects what the program writes until it contains expected or timeoutMs passes.
    bool WaitFor(const std::string& expected, int timeoutMs, std::string* seen = nullptr) {
        std::string all;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            all += Read(5);
            if (all.find(expected) != std::string::npos) {
                if (seen) {
                    *seen = all;
                }
                return true;
            }
        }
        if (seen) {
            *seen = all;
        }
        return false;
    }

    // The rate the program set on its side (the slave's line settings, as seen from the master).
    int SlaveBaud() const { return ExactLineRate(m_master); }

    // Processes events for about ms milliseconds.
    static void Pump(int ms) {
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::msleep(1);
        } while (clock.elapsed() < ms);
    }

    // Processes events until done() holds or timeoutMs passes.
    template <typename Pred> static bool PumpUntil(Pred done, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs) {
                return false;
            }
            Pump(2);
        }
        return true;
    }

private:
    int m_master = -1;
    QString m_slavePath;
};
