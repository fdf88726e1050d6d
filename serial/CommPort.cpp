#include "serial/CommPort.h"

#include "base/Prompts.h"
#include "base/Timing.h"
#include "serial/CommPortMonitor.h"
#include "serial/TrafficLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace {

// Close lets a pending write reach the driver for at most this long.
constexpr int kCloseDrainMs = 1000;

} // namespace

// The owner's side: receives what the monitor reads and delivers it byte by byte.
class CCommPortPrivate final : public IPortMonitorSink {
public:
    explicit CCommPortPrivate(CCommPort* owner);

    void OnReceived(quint64 batchGeneration, const QByteArray& bytes) override;
    void OnLost(quint64 lostSession, const QString& reason) override;
    void OnFailure(quint64 failedSession, const QString& label, const QString& text) override;

    void Deliver();
    void Write(const QByteArray& text);
    void DropUndelivered();
    // Stops the monitor thread and closes the device; a write still waiting goes out first.
    void StopMonitor();
    bool StartThread(const QString& devicePath, const LineSettings& settings, OpenOutcome* outcome);
    void EndHold();
    // Shows a port failure in an "Application Error" box on the owner's thread.
    void ShowPortError(const QString& label, const QString& systemText) const;

    CCommPort* const q;
    IPortOwner* owner = nullptr;
    QString portName;
    int baud = 0;
    int sendBufferSize = CCommPort::kDefaultSendBufferSize;

    // The monitor lives on the thread: it goes first, once the thread has finished.
    std::unique_ptr<QThread> thread;
    std::unique_ptr<CCommPortMonitor> monitor;
    bool open = false;
    bool monitoring = false;
    bool lost = false;
    // Bumped by every write, Close and Open: a batch read under an older generation is stale.
    quint64 generation = 0;
    // Bumped by every Open and Close: reports of an earlier monitor are ignored.
    quint64 session = 0;

    QByteArray pending; // received, not yet delivered
    qsizetype next = 0; // index of the next byte of pending to deliver
    bool delivering = false;
    bool inHandler = false;

    bool sendWaiting = false; // a write requested by a handler, or before StartMonitor
    QByteArray sendText;

    CTrafficLog* log = nullptr;

    QTimer holdTimer;
    QDeadlineTimer holdEnd;
    bool held = false;

    const std::shared_ptr<SendSlot> slot = std::make_shared<SendSlot>();
    // Lets the delivery loop notice that a handler destroyed the port.
    const std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

CCommPortPrivate::CCommPortPrivate(CCommPort* owner) : q(owner) {
    holdTimer.setSingleShot(true);
    holdTimer.setTimerType(Qt::PreciseTimer); // a hold stands for a sleep: never end it early
    QObject::connect(&holdTimer, &QTimer::timeout, q, [this] { EndHold(); });
}

void CCommPortPrivate::OnReceived(quint64 batchGeneration, const QByteArray& bytes) {
    if (batchGeneration != generation) {
        if (log != nullptr) {
            log->Bytes(CTrafficLog::Direction::Received, bytes, QStringLiteral("discarded"));
        }
        return; // read before a write, Close or Open that made it stale
    }
    if (log != nullptr) {
        log->Bytes(CTrafficLog::Direction::Received, bytes);
    }
    if (next >= pending.size()) {
        pending = bytes;
    } else {
        pending.remove(0, next);
        pending.append(bytes);
    }
    next = 0;
    Deliver();
}

void CCommPortPrivate::Deliver() {
    // A batch or a hold's end arriving in a nested event loop of a handler leaves the bytes to
    // the loop that runs the handler: bytes are handled strictly one after the other.
    if (delivering || held) {
        return;
    }
    if (owner == nullptr) {
        next = pending.size(); // nobody to hand them to
    } else {
        delivering = true;
        const std::shared_ptr<bool> stillAlive = alive;
        while (next < pending.size() && !held) {
            const auto byte = static_cast<unsigned char>(pending[next++]);
            inHandler = true;
            owner->OnPortRxChar(byte, portName);
            if (!*stillAlive) {
                return;
            }
            inHandler = false;
        }
        delivering = false;
    }
    if (held) {
        return;
    }
    if (next >= pending.size()) {
        pending.clear();
        next = 0;
    }
    // A handler's write goes out once what was read before it has been handled.
    if (sendWaiting && monitoring && next >= pending.size()) {
        sendWaiting = false;
        Write(sendText);
    }
}

void CCommPortPrivate::DropUndelivered() {
    ++generation;
    pending.clear();
    next = 0;
}

void CCommPortPrivate::Write(const QByteArray& text) {
    const qsizetype undelivered = pending.size() - next;
    DropUndelivered();
    if (!open || lost || monitor == nullptr) {
        return;
    }
    if (log != nullptr && undelivered > 0) {
        log->Event(QStringLiteral("%1 received bytes not yet handled are discarded by the write")
                       .arg(undelivered));
    }
    bool alreadyQueued = false;
    {
        const std::lock_guard<std::mutex> locker(slot->lock);
        alreadyQueued = slot->full;
        slot->text = text;
        slot->generation = generation;
        slot->full = true;
    }
    if (log != nullptr) {
        log->Bytes(CTrafficLog::Direction::Sent, text,
                   alreadyQueued ? QStringLiteral("replaces the text not yet written") : QString());
    }
    if (!alreadyQueued) {
        monitor->RequestWrite();
    }
}

void CCommPortPrivate::OnLost(quint64 lostSession, const QString& reason) {
    if (lostSession != session || lost) {
        return;
    }
    lost = true;
    if (log != nullptr) {
        log->Event(QStringLiteral("port lost: %1").arg(reason));
    }
    if (owner != nullptr) {
        owner->OnPortLost(portName, reason);
    }
}

void CCommPortPrivate::OnFailure(quint64 failedSession, const QString& label, const QString& text) {
    if (failedSession == session) {
        ShowPortError(label, text);
    }
}

void CCommPortPrivate::EndHold() {
    held = false;
    Deliver();
}

void CCommPortPrivate::ShowPortError(const QString& label, const QString& systemText) const {
    const std::string text = "WARNING:  " + label.toStdString() +
                             " Failed with the following error: \n" + systemText.toStdString() +
                             "\nPort: " + portName.toStdString() + "\n";
    Prompts::Current().ShowMessage("Application Error", text, PromptIcon::Stop);
}

bool CCommPortPrivate::StartThread(const QString& devicePath, const LineSettings& settings,
                                   OpenOutcome* outcome) {
    {
        const std::lock_guard<std::mutex> locker(slot->lock);
        slot->full = false;
        slot->text.clear();
    }
    thread = std::make_unique<QThread>();
    thread->setObjectName(QStringLiteral("CommPortMonitor"));
    monitor = std::make_unique<CCommPortMonitor>(slot, session);
    // Queued to this thread, which takes each report only after the monitor released it.
    const auto acquired = [reports = slot] {
        [[maybe_unused]] const unsigned seen = reports->reports.load(std::memory_order_acquire);
    };
    QObject::connect(monitor.get(), &CCommPortMonitor::received, q,
                     [this, acquired](quint64 batchGeneration, const QByteArray& bytes) {
                         acquired();
                         OnReceived(batchGeneration, bytes);
                     });
    QObject::connect(monitor.get(), &CCommPortMonitor::lost, q,
                     [this, acquired](quint64 lostSession, const QString& reason) {
                         acquired();
                         OnLost(lostSession, reason);
                     });
    QObject::connect(
        monitor.get(), &CCommPortMonitor::failed, q,
        [this, acquired](quint64 failedSession, const QString& label, const QString& text) {
            acquired();
            OnFailure(failedSession, label, text);
        });
    monitor->moveToThread(thread.get());
    thread->start();
    *outcome = monitor->OpenAndWait(devicePath, settings);
    return outcome->opened;
}

void CCommPortPrivate::StopMonitor() {
    // A hold only keeps received bytes back; with the port closed there are none to keep.
    held = false;
    holdTimer.stop();
    if (thread == nullptr) {
        open = monitoring = lost = false;
        sendWaiting = false;
        return;
    }
    if (sendWaiting && open && !lost) {
        sendWaiting = false;
        Write(sendText);
    }
    sendWaiting = false;
    DropUndelivered();
    ++session;
    monitor->ShutdownAndWait(kCloseDrainMs);
    thread->quit();
    thread->wait();
    monitor.reset();
    thread.reset();
    open = monitoring = lost = false;
}

CCommPort::CCommPort(QObject* parent)
    : QObject(parent), d(std::make_unique<CCommPortPrivate>(this)) {}

CCommPort::~CCommPort() {
    d->StopMonitor();
    *d->alive = false;
}

bool CCommPort::Open(IPortOwner* owner, const QString& portName, int baud, char parity,
                     int dataBits, int stopBits, int sendBufferSize) {
    const bool wasOpen = d->open;
    d->StopMonitor();
    d->owner = owner;
    d->portName = portName;
    d->baud = baud;
    d->sendBufferSize = std::max(sendBufferSize, 1);
    if (portName.isEmpty()) {
        return false;
    }
    const QString path = DevicePath(portName);
    if (d->log != nullptr) {
        if (!wasOpen) {
            d->log->Restart();
        }
        d->log->Event(QStringLiteral("%1 %2 at %3 baud, %4%5%6")
                          .arg(wasOpen ? QStringLiteral("reopen") : QStringLiteral("open"), path)
                          .arg(baud)
                          .arg(dataBits)
                          .arg(QLatin1Char(parity))
                          .arg(stopBits));
    }
#ifdef Q_OS_UNIX
    if (!QFileInfo::exists(path)) {
        if (d->log != nullptr) {
            d->log->Event(QStringLiteral("cannot open %1: it does not exist").arg(path));
        }
        return false; // absent: no thread is started for it
    }
#endif
    ++d->session;
    OpenOutcome outcome;
    if (!d->StartThread(path, LineSettings{baud, parity, dataBits, stopBits}, &outcome)) {
        d->StopMonitor();
        if (d->log != nullptr) {
            d->log->Event(QStringLiteral("cannot open %1").arg(path));
        }
        return false;
    }
    d->open = true;
    if (!outcome.failedLabel.isEmpty()) {
        d->ShowPortError(outcome.failedLabel, outcome.failureText);
    }
    return true;
}

bool CCommPort::StartMonitor() {
    if (!d->open || d->lost || d->thread == nullptr) {
        return false;
    }
    if (d->monitoring) {
        return true;
    }
    d->monitoring = true;
    d->DropUndelivered();
    d->monitor->StartMonitoring(d->generation);
    if (d->sendWaiting) {
        d->sendWaiting = false;
        d->Write(d->sendText);
    }
    return true;
}

void CCommPort::Send(const std::string& text) {
    if (!d->open || d->lost) {
        return;
    }
    // A text ends at its first NUL, and the send buffer keeps room for the terminator.
    const std::size_t length = std::min(
        {std::strlen(text.c_str()), text.size(), static_cast<std::size_t>(d->sendBufferSize - 1)});
    d->sendText = QByteArray(text.data(), static_cast<qsizetype>(length));
    if (d->inHandler || !d->monitoring) {
        d->sendWaiting = true; // written once the bytes already read are handled
        return;
    }
    d->sendWaiting = false;
    d->Write(d->sendText);
}

void CCommPort::Close() {
    const bool wasOpen = d->open;
    d->StopMonitor();
    if (d->log != nullptr && wasOpen) {
        d->log->Event(QStringLiteral("close"));
    }
}

void CCommPort::TakeArrived() {
    if (!d->monitoring || d->lost || d->monitor == nullptr || d->delivering || d->held) {
        return;
    }
    // Reads already handed to this thread come first. Then the monitor's event loop is made to
    // turn twice: the turn that serves the first call notices what the device holds now and
    // reads it, and the second call is served only after that turn, so that what was read has
    // been handed to this thread by then.
    const std::shared_ptr<bool> alive = d->alive;
    for (int turn = 0; turn < 2; ++turn) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (!*alive || d->monitor == nullptr || !d->monitoring || d->held) {
            return; // a handler closed or destroyed the port, or asked for a hold
        }
        d->monitor->TakeArrivedAndWait();
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CCommPort::SetTrafficLog(CTrafficLog* log) {
    d->log = log;
}

void CCommPort::Hold(int nominalMs) {
    const int ms = Timing::ScaledMs(nominalMs);
    if (ms <= 0) {
        return;
    }
    const QDeadlineTimer end(ms, Qt::PreciseTimer);
    if (d->held && d->holdEnd > end) {
        return; // a longer hold is already running
    }
    d->held = true;
    d->holdEnd = end;
    if (d->log != nullptr) {
        d->log->Event(QStringLiteral("hold %1 ms").arg(ms));
    }
    d->holdTimer.start(ms);
}

bool CCommPort::IsHeld() const {
    return d->held;
}

int CCommPort::BytesWaiting() const {
    return static_cast<int>(d->pending.size() - d->next);
}

bool CCommPort::IsOpen() const {
    return d->open && !d->lost;
}

bool CCommPort::IsMonitoring() const {
    return d->monitoring && !d->lost;
}

QString CCommPort::PortName() const {
    return d->portName;
}

int CCommPort::Baud() const {
    return d->baud;
}

QString CCommPort::DevicePath(const QString& portName) {
#ifdef Q_OS_WIN
    return portName;
#else
    return portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
#endif
}
