#pragma once
// The monitor side of CCommPort: owns the QSerialPort and lives on the monitor thread. It never
// waits for the owner's thread; everything it reports is queued there as a signal.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class QSocketNotifier;

// Receives what the monitor reports; always called on the owner's thread.
class IPortMonitorSink {
public:
    virtual ~IPortMonitorSink() = default;
    // Bytes of one read (NULs already dropped), tagged with the generation they were read in.
    virtual void OnReceived(quint64 generation, const QByteArray& bytes) = 0;
    virtual void OnLost(quint64 session, const QString& reason) = 0;
    virtual void OnFailure(quint64 session, const QString& label, const QString& systemText) = 0;
};

// The single send buffer. A text placed here before the monitor took the previous one replaces
// it; generation tells which received bytes the write makes stale. A std::mutex rather than a
// QMutex: ThreadSanitizer sees it lock and unlock also when the other thread holds it.
struct SendSlot {
    std::mutex lock;
    bool full = false;
    QByteArray text;
    quint64 generation = 0;
    // What the monitor reports travels through Qt's event queue, whose own lock is hidden from
    // ThreadSanitizer; the monitor releases here before it reports and the owner acquires here
    // before it reads the report, which shows the sanitizer the hand-over (and costs two atomic
    // operations a report).
    std::atomic<unsigned> reports{0};
};

struct LineSettings {
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};

struct OpenOutcome {
    bool opened = false;
    QString openError;   // why the device could not be opened
    QString failedLabel; // the configuration step that failed after the device opened
    QString failureText;
};

// Used by CCommPort only. The public calls are made on the owner's thread; the ones that wait
// cannot deadlock because the monitor thread only ever posts to the owner's thread and never
// waits for it.
class CCommPortMonitor : public QObject {
    Q_OBJECT
public:
    CCommPortMonitor(std::shared_ptr<SendSlot> slot, quint64 session);
    ~CCommPortMonitor() override;

    CCommPortMonitor(const CCommPortMonitor&) = delete;
    CCommPortMonitor& operator=(const CCommPortMonitor&) = delete;

    // Opens and configures the device on the monitor thread and waits for the outcome.
    OpenOutcome OpenAndWait(const QString& devicePath, const LineSettings& settings);
    // Starts delivering what arrives under generation, beginning with what came in since the
    // device opened. Returns at once.
    void StartMonitoring(quint64 generation);
    // Has the text waiting in the send slot written. Returns at once.
    void RequestWrite();
    // Hands over what the device holds now, and waits until it has been handed over.
    void TakeArrivedAndWait();
    // Lets a pending write out (waiting at most drainMs), then closes the device, and waits for
    // that. None of this monitor's code runs on its thread afterwards.
    void ShutdownAndWait(int drainMs);

signals:
    // Queued to the owner's thread, which copies the arguments (see SendSlot::reports).
    void received(quint64 generation, const QByteArray& bytes);
    void lost(quint64 session, const QString& reason);
    void failed(quint64 session, const QString& label, const QString& systemText);

private:
    // Runs call on the monitor thread and waits for it, from the owner's thread. What either
    // side wrote before is the other's to read after: the blocking call's own wait happens
    // inside Qt, where ThreadSanitizer cannot see it, so the hand-over is also made on an atomic
    // it sees, and the call is handed over in a member rather than in a queued functor.
    void RunAndWait(std::function<void()> call);
    void RunPending();

    // The rest runs on the monitor thread only.
    OpenOutcome OpenDevice(const QString& devicePath, const LineSettings& settings);
    void Shutdown(int drainMs);
    Q_INVOKABLE void MonitorThread(quint64 generation);
    // Hands everything received so far to the owner's thread in one go.
    void DrainInput();
    // Hands over what QSerialPort has read and not yet handed over.
    void ReadArrived();
    // Performs the write waiting in the send slot, discarding unread input first.
    void FlushSend();

    QString Configure(const LineSettings& settings, QString* failureText);
    void OnError(QSerialPort::SerialPortError error);
    // Enables QSerialPort's read notification again after it stopped reading on a failed read.
    void ResumeReading();
    // Whether the device hung up (POLLHUP or POLLERR on it), or is closed.
    bool HungUp() const;
    void CheckHangup();
    void ReportLost(const QString& reason);
    void ReportFailure(const QString& label, const QString& systemText);
    void ClosePort();

    // Released before every report (see SendSlot::reports).
    void ReleaseReport();

    const std::shared_ptr<SendSlot> m_slot;
    std::function<void()> m_pending; // the call RunAndWait hands over
    std::atomic<unsigned> m_handOver{0};
    const quint64 m_session;

    std::unique_ptr<QSerialPort> m_port;
    QSocketNotifier* m_hangupWatch = nullptr;
    quint64 m_generation = 0;
    bool m_monitoring = false;
    bool m_lost = false;
    int m_readFailures = 0;
};
