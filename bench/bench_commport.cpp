// Pushes a patterned stream through a pseudo-terminal into CCommPort and reports how many bytes
// per second reach the owner, one OnPortRxChar call each, checked for order and loss; once
// without and once with a traffic log written to a file.
//
//   bench_commport [megabytes]      (default 2)

#include "serial/CommPort.h"
#include "serial/TrafficLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr int kBaud = 230400;
constexpr double kLineRate = kBaud / 10.0; // 8N1: ten bits a byte
constexpr double kTarget = kBaud;          // ten times the line rate
constexpr int kTimeoutMs = 120000;

unsigned char PatternByte(std::size_t i) {
    return static_cast<unsigned char>(1 + i % 255); // never 0x00, which the port drops
}

class CheckingOwner : public IPortOwner {
public:
    explicit CheckingOwner(std::size_t expected) : m_expected(expected) {}

    void OnPortRxChar(unsigned char byte, const QString& /*portName*/) override {
        if (byte != PatternByte(m_count)) {
            ++m_misplaced;
        }
        if (++m_count == m_expected) {
            QCoreApplication::quit();
        }
    }
    void OnPortLost(const QString& /*portName*/, const QString& reason) override {
        std::fprintf(stderr, "port lost: %s\n", qPrintable(reason));
        QCoreApplication::exit(2);
    }

    std::size_t Count() const { return m_count; }
    std::size_t Misplaced() const { return m_misplaced; }

private:
    std::size_t m_expected;
    std::size_t m_count = 0;
    std::size_t m_misplaced = 0;
};

// 230400 -> "230,400"
std::string Grouped(double value) {
    const std::string digits = std::to_string(static_cast<long long>(value + 0.5));
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped.push_back(',');
        }
        grouped.push_back(digits[i]);
    }
    return grouped;
}

struct Delivery {
    std::size_t count = 0;
    std::size_t misplaced = 0;
    double seconds = 0;
    bool ok = false;
};

// The whole stream from the radio's side to the owner, with or without a traffic log.
Delivery Deliver(const std::string& stream, CTrafficLog* log) {
    const std::size_t total = stream.size();
    Delivery result;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return result;
    }
    const QString slaveName = QString::fromLocal8Bit(ptsname(master)).mid(5);

    CheckingOwner owner(total);
    CCommPort port;
    port.SetTrafficLog(log);
    if (!port.Open(&owner, slaveName, kBaud) || !port.StartMonitor()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slaveName));
        ::close(master);
        return result;
    }

    QElapsedTimer clock;
    clock.start();
    // The radio's side writes from its own thread, waiting whenever the terminal is full.
    std::atomic<bool> stop{false};
    std::thread radio([&] {
        std::size_t done = 0;
        while (done < total && !stop.load()) {
            const ssize_t n = ::write(master, stream.data() + done, total - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                std::perror("write");
                return;
            } else {
                pollfd writable{master, POLLOUT, 0};
                ::poll(&writable, 1, 100);
            }
        }
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    giveUp.start(kTimeoutMs);
    const int outcome = QCoreApplication::exec();
    result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    stop = true;
    radio.join();
    port.Close();
    ::close(master);
    if (outcome == 3) {
        std::fprintf(stderr, "gave up after %d s\n", kTimeoutMs / 1000);
    }
    result.count = owner.Count();
    result.misplaced = owner.Misplaced();
    result.ok = owner.Count() == total && owner.Misplaced() == 0;
    return result;
}

bool Print(const char* name, const Delivery& d, std::size_t total) {
    std::printf("%-16s delivered %zu bytes in %.3f s: %s bytes/s (line rate at %d baud: %s "
                "bytes/s; target %s bytes/s) %s\n",
                name, d.count, d.seconds,
                Grouped(d.seconds > 0 ? static_cast<double>(d.count) / d.seconds : 0).c_str(),
                kBaud, Grouped(kLineRate).c_str(), Grouped(kTarget).c_str(),
                d.ok ? "order OK" : "ORDER OR COUNT WRONG");
    if (!d.ok) {
        std::printf("expected %zu bytes, %zu out of place\n", total, d.misplaced);
    }
    return d.ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 2;
    if (megabytes <= 0 || megabytes > 1024) {
        std::fprintf(stderr, "usage: bench_commport [megabytes 1..1024]\n");
        return 1;
    }
    const std::size_t total = static_cast<std::size_t>(megabytes) * 1024 * 1024;
    std::string stream(total, '\0');
    for (std::size_t i = 0; i < total; ++i) {
        stream[i] = static_cast<char>(PatternByte(i));
    }

    // The traffic log writes to a file as the window's and the CLI's traces do.
    QTemporaryDir dir;
    CTrafficLog log;
    QString error;
    if (!log.WriteTo(dir.filePath("trace.txt"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const bool plain = Print("without log", Deliver(stream, nullptr), total);
    const bool logged = Print("with traffic log", Deliver(stream, &log), total);
    return plain && logged && log.Finish(&error) ? 0 : 1;
}
