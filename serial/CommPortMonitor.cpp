#include "serial/CommPortMonitor.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// A device that fails this many reads in a row without delivering anything is given up.
constexpr int kReadFailuresBeforeLost = 50;

bool ParityFromLetter(char letter, QSerialPort::Parity* parity) {
    switch (letter) {
    case 'N':
    case 'n':
        *parity = QSerialPort::NoParity;
        return true;
    case 'E':
    case 'e':
        *parity = QSerialPort::EvenParity;
        return true;
    case 'O':
    case 'o':
        *parity = QSerialPort::OddParity;
        return true;
    case 'M':
    case 'm':
        *parity = QSerialPort::MarkParity;
        return true;
    case 'S':
    case 's':
        *parity = QSerialPort::SpaceParity;
        return true;
    default:
        return false;
    }
}

#ifdef Q_OS_UNIX
// QSerialPort puts back, as it closes, the line settings it found when it opened, at once. The
// last bytes written ("ata\r" leaving command mode) then leave at the old rate if the driver
// still holds them, and a pseudo-terminal's other end, which takes bytes only when it next reads,
// takes them at the old rate too. So the line is closed as it is: QSerialPort's descriptor is
// swapped for one of /dev/null (atomically, so that the number never names another file) and
// the device is closed by CloseDetached once QSerialPort has let go of it.
int DetachDevice(int handle) {
    if (handle < 0) {
        return -1;
    }
    const int device = ::fcntl(handle, F_DUPFD_CLOEXEC, 0);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const bool swapped = device >= 0 && null >= 0 && ::dup2(null, handle) == handle;
    if (null >= 0) {
        ::close(null);
    }
    if (!swapped) {
        if (device >= 0) {
            ::close(device);
        }
        return -1;
    }
    ::fcntl(handle, F_SETFD, FD_CLOEXEC);
    return device;
}

void CloseDetached(int device) {
    if (device >= 0) {
        ::ioctl(device, TIOCNXCL); // what QSerialPort's close could not do on /dev/null
        ::close(device);           // a serial driver lets its output drain at the line's rate
    }
}
#endif

QString DescribeSettings(const LineSettings& s) {
    const QChar parity = (s.parity >= 0x20 && s.parity < 0x7f) ? QChar(s.parity) : QChar('?');
    return QStringLiteral("The line settings are not valid: baud=%1 parity=%2 data=%3 stop=%4")
        .arg(s.baud)
        .arg(parity)
        .arg(s.dataBits)
        .arg(s.stopBits);
}

} // namespace

CCommPortMonitor::CCommPortMonitor(std::shared_ptr<SendSlot> slot, quint64 session)
    : m_slot(std::move(slot)), m_session(session) {}

CCommPortMonitor::~CCommPortMonitor() = default;

OpenOutcome CCommPortMonitor::OpenAndWait(const QString& devicePath, const LineSettings& settings) {
    OpenOutcome outcome;
    RunAndWait([&] { outcome = OpenDevice(devicePath, settings); });
    return outcome;
}

void CCommPortMonitor::StartMonitoring(quint64 generation) {
    QMetaObject::invokeMethod(this, "MonitorThread", Qt::QueuedConnection,
                              Q_ARG(quint64, generation));
}

void CCommPortMonitor::RequestWrite() {
    QMetaObject::invokeMethod(this, &CCommPortMonitor::FlushSend, Qt::QueuedConnection);
}

void CCommPortMonitor::TakeArrivedAndWait() {
    RunAndWait([this] { ReadArrived(); });
}

void CCommPortMonitor::ShutdownAndWait(int drainMs) {
    RunAndWait([this, drainMs] { Shutdown(drainMs); });
}

void CCommPortMonitor::RunAndWait(std::function<void()> call) {
    m_pending = std::move(call);
    m_handOver.fetch_add(1, std::memory_order_release);
    QMetaObject::invokeMethod(this, &CCommPortMonitor::RunPending, Qt::BlockingQueuedConnection);
    [[maybe_unused]] const unsigned done = m_handOver.load(std::memory_order_acquire);
}

void CCommPortMonitor::RunPending() {
    [[maybe_unused]] const unsigned posted = m_handOver.load(std::memory_order_acquire);
    const std::function<void()> call = std::exchange(m_pending, nullptr);
    if (call) {
        call();
    }
    m_handOver.fetch_add(1, std::memory_order_release);
}

void CCommPortMonitor::ReleaseReport() {
    m_slot->reports.fetch_add(1, std::memory_order_release);
}

OpenOutcome CCommPortMonitor::OpenDevice(const QString& devicePath, const LineSettings& settings) {
    OpenOutcome outcome;
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(devicePath);
    // Exclusive: QSerialPort takes the lock file and TIOCEXCL, so a second opener is refused.
    if (!m_port->open(QIODevice::ReadWrite)) {
        outcome.openError = m_port->errorString();
        m_port.reset();
        return outcome;
    }
    outcome.opened = true;
    outcome.failedLabel = Configure(settings, &outcome.failureText);
    m_port->clearError();
    m_port->clear(QSerialPort::AllDirections);
    m_port->clearError();

    connect(m_port.get(), &QSerialPort::errorOccurred, this, &CCommPortMonitor::OnError);
#ifdef Q_OS_UNIX
    // A hung-up terminal reads as endless end-of-file, which QSerialPort reports at best as a read
    // error with a stale reason while it keeps polling; the hang-up itself shows as
    // POLLHUP/POLLERR, which an exception notifier sees.
    m_hangupWatch = new QSocketNotifier(m_port->handle(), QSocketNotifier::Exception, this);
    connect(m_hangupWatch, &QSocketNotifier::activated, this, &CCommPortMonitor::CheckHangup);
#endif
    return outcome;
}

QString CCommPortMonitor::Configure(const LineSettings& settings, QString* failureText) {
    QSerialPort::Parity parity = QSerialPort::NoParity;
    const bool valid = settings.baud > 0 && ParityFromLetter(settings.parity, &parity) &&
                       settings.dataBits >= 5 && settings.dataBits <= 8 &&
                       (settings.stopBits == 1 || settings.stopBits == 2);
    if (!valid) {
        *failureText = DescribeSettings(settings);
        return QStringLiteral("BuildCommDCB()");
    }
    // QSerialPort takes any integer rate; 3600, 7200, 14400 and 28800 go through the custom-rate
    // path of the driver.
    const bool applied =
        m_port->setBaudRate(settings.baud) &&
        m_port->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
        m_port->setParity(parity) &&
        m_port->setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        *failureText = m_port->errorString();
        return QStringLiteral("SetCommState()");
    }
    // Radios expect RTS and DTR raised. A pseudo-terminal has no modem lines and refuses them
    // (QSerialPort then reports an unsupported operation, or no error at all), which is no fault.
    const auto refusedForReal = [this](bool raised) {
        const QSerialPort::SerialPortError error = m_port->error();
        const bool fault = !raised && error != QSerialPort::NoError &&
                           error != QSerialPort::UnsupportedOperationError;
        if (!fault) {
            m_port->clearError();
        }
        return fault;
    };
    if (refusedForReal(m_port->setRequestToSend(true)) ||
        refusedForReal(m_port->setDataTerminalReady(true))) {
        *failureText = m_port->errorString();
        return QStringLiteral("SetCommState()");
    }
    return {};
}

void CCommPortMonitor::MonitorThread(quint64 generation) {
    m_generation = generation;
    if (!m_port || !m_port->isOpen() || m_monitoring) {
        return;
    }
    // The line was purged when it opened. Purging again here would race with bytes the radio
    // sends right after StartMonitor, so what arrived since Open is delivered now.
    m_monitoring = true;
    connect(m_port.get(), &QSerialPort::readyRead, this, &CCommPortMonitor::DrainInput);
    DrainInput();
}

void CCommPortMonitor::DrainInput() {
    if (!m_monitoring || !m_port) {
        return;
    }
    QByteArray bytes = m_port->readAll();
    m_readFailures = 0;
    // The owner never sees 0x00 (the radios' drivers discarded NULs as well).
    bytes.removeIf([](char c) { return c == '\0'; });
    if (bytes.isEmpty()) {
        return;
    }
    ReleaseReport();
    emit received(m_generation, bytes);
}

void CCommPortMonitor::ReadArrived() {
    // The device itself is read only by QSerialPort's notification: a read of it from elsewhere
    // leaves that notification to find nothing, which QSerialPort reports as a failure.
    DrainInput();
}

void CCommPortMonitor::FlushSend() {
    QByteArray text;
    {
        const std::lock_guard<std::mutex> locker(m_slot->lock);
        if (!m_slot->full) {
            return;
        }
        text = std::exchange(m_slot->text, {});
        m_generation = m_slot->generation;
        m_slot->full = false;
    }
    if (!m_port || !m_port->isOpen() || m_lost) {
        return;
    }
    // Every write first discards what was received and not yet delivered: QSerialPort's own
    // buffer and the device's input queue. Batches already on their way to the owner carry the
    // old generation and are dropped there.
    m_port->readAll();
    m_port->clear(QSerialPort::Input);
    if (text.isEmpty()) {
        return;
    }
    if (m_port->write(text) != text.size()) {
        ReportFailure(QStringLiteral("WriteFile()"), m_port->errorString());
        return;
    }
    m_port->flush(); // hand it to the driver now rather than on the next turn of the loop
}

void CCommPortMonitor::Shutdown(int drainMs) {
    if (m_port && m_port->isOpen() && !m_lost) {
        if (m_monitoring) {
            disconnect(m_port.get(), &QSerialPort::readyRead, this, &CCommPortMonitor::DrainInput);
        }
        FlushSend();
        m_port->flush();
        const QDeadlineTimer deadline(drainMs);
        while (m_port->isOpen() && m_port->bytesToWrite() > 0 && !deadline.hasExpired()) {
            if (!m_port->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
                break;
            }
        }
#ifdef Q_OS_UNIX
        // Closing a serial device waits until its output has drained, which at a slow rate can
        // take many seconds; wait within the bound and discard the rest.
        int queued = 0;
        while (!deadline.hasExpired() && ::ioctl(m_port->handle(), TIOCOUTQ, &queued) == 0 &&
               queued > 0) {
            QThread::msleep(2);
        }
#endif
        if (deadline.hasExpired()) {
            m_port->clear(QSerialPort::Output);
        }
    }
    m_monitoring = false;
    ClosePort();
}

void CCommPortMonitor::OnError(QSerialPort::SerialPortError error) {
    if (!m_port || error == QSerialPort::NoError) {
        return;
    }
    const QString text = m_port->errorString();
    m_port->clearError();
    switch (error) {
    case QSerialPort::ResourceError:
#ifdef Q_OS_UNIX
        // QSerialPort reports a read that finds nothing (EAGAIN: the input was purged under a
        // notification already due) as a resource error, and stops reading. Only a device that
        // hung up is lost; a live one is read again, and one that keeps failing is given up.
        if (!HungUp() && ++m_readFailures < kReadFailuresBeforeLost) {
            ResumeReading();
            break;
        }
#endif
        ReportLost(text);
        break;
    case QSerialPort::DeviceNotFoundError:
        ReportLost(text);
        break;
    case QSerialPort::WriteError:
        ReportFailure(QStringLiteral("WriteFile()"), text);
        break;
    case QSerialPort::ReadError:
        // Mostly an empty read after the input queue was purged under a pending notification.
        // A device that hung up says so by POLLHUP; one that keeps failing is given up.
        CheckHangup();
        if (!m_lost && ++m_readFailures >= kReadFailuresBeforeLost) {
            ReportLost(text);
        }
        break;
    default:
        // Time-outs of the bounded waits in Shutdown, and modem lines a device lacks.
        break;
    }
}

void CCommPortMonitor::ResumeReading() {
#ifdef Q_OS_UNIX
    // QSerialPort has no call that enables its read notification again; the notifier is its
    // child.
    for (QSocketNotifier* notifier : m_port->findChildren<QSocketNotifier*>()) {
        if (notifier->type() == QSocketNotifier::Read) {
            notifier->setEnabled(true);
        }
    }
#endif
}

bool CCommPortMonitor::HungUp() const {
#ifdef Q_OS_UNIX
    if (!m_port || !m_port->isOpen()) {
        return true;
    }
    pollfd watched{};
    watched.fd = m_port->handle();
    watched.events = POLLIN;
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void CCommPortMonitor::CheckHangup() {
    if (!m_port || !m_port->isOpen() || m_lost) {
        return;
    }
    if (HungUp()) {
        ReportLost(QStringLiteral("The device hung up (it was unplugged or its other end closed)"));
    }
}

void CCommPortMonitor::ReportLost(const QString& reason) {
    if (m_lost) {
        return;
    }
    m_lost = true;
    m_monitoring = false;
    // Stop reading at once, or a vanished device keeps the loop spinning. The port is closed on
    // the next turn of the loop: this may run inside one of its own notifications.
    if (m_hangupWatch) {
        m_hangupWatch->setEnabled(false);
    }
    if (m_port) {
        m_port->disconnect(this);
    }
    QMetaObject::invokeMethod(
        this, [this] { ClosePort(); }, Qt::QueuedConnection);
    ReleaseReport();
    emit lost(m_session, reason);
}

void CCommPortMonitor::ReportFailure(const QString& label, const QString& systemText) {
    ReleaseReport();
    emit failed(m_session, label, systemText);
}

void CCommPortMonitor::ClosePort() {
    delete m_hangupWatch;
    m_hangupWatch = nullptr;
    if (m_port) {
        m_port->disconnect(this);
#ifdef Q_OS_UNIX
        const int device = m_port->isOpen() ? DetachDevice(m_port->handle()) : -1;
        m_port->close();
        CloseDetached(device);
#else
        m_port->close();
#endif
        m_port.reset();
    }
}
