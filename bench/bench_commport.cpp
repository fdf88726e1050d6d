// Pushes a patterned stream through a pseudo-terminal into CCommPort and reports how many bytes
// per second reach the owner, one OnPortRxChar call each, checked for order and loss.
//
//   bench_commport [megabytes]      (default 2)

#include "serial/CommPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 2;
    if (megabytes <= 0 || megabytes > 1024) {
        std::fprintf(stderr, "usage: bench_commport [megabytes 1..1024]\n");
        return 1;
    }
    const std::size_t total = static_cast<std::size_t>(megabytes) * 1024 * 1024;

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const QString slaveName = QString::fromLocal8Bit(ptsname(master)).mid(5);

    CheckingOwner owner(total);
    CCommPort port;
    if (!port.Open(&owner, slaveName, kBaud) || !port.StartMonitor()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slaveName));
        return 1;
    }

    std::string stream(total, '\0');
    for (std::size_t i = 0; i < total; ++i) {
        stream[i] = static_cast<char>(PatternByte(i));
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
    QTimer::singleShot(kTimeoutMs, &app, [] { QCoreApplication::exit(3); });
    const int outcome = app.exec();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    stop = true;
    radio.join();
    port.Close();
    ::close(master);
    if (outcome == 3) {
        std::fprintf(stderr, "gave up after %d s\n", kTimeoutMs / 1000);
    }

    const bool orderOk = owner.Count() == total && owner.Misplaced() == 0;
    std::printf("delivered %zu bytes in %.3f s: %s bytes/s (line rate at %d baud: %s bytes/s; "
                "target %s bytes/s) %s\n",
                owner.Count(), seconds,
                Grouped(static_cast<double>(owner.Count()) / seconds).c_str(), kBaud,
                Grouped(kLineRate).c_str(), Grouped(kTarget).c_str(),
                orderOk ? "order OK" : "ORDER OR COUNT WRONG");
    if (!orderOk) {
        std::printf("expected %zu bytes, %zu out of place\n", total, owner.Misplaced());
    }
    return orderOk ? 0 : 1;
}
