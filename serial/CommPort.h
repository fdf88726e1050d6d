#pragma once
// The serial port of the program. A monitor thread owns the QSerialPort; what one read returns is
// handed to the owner's thread in one go and delivered there one byte per OnPortRxChar call, in
// arrival order, each byte handled before the next, never 0x00. Writes go through a single send
// buffer and each write first discards all input not yet delivered.

#include <QObject>
#include <QString>

#include <memory>
#include <string>

// Receiver of the port's notifications; called on the thread that owns the CCommPort.
class IPortOwner {
public:
    virtual ~IPortOwner() = default;
    // One received byte (1..255).
    virtual void OnPortRxChar(unsigned char byte, const QString& portName) = 0;
    // The device went away or failed while open (unplugged adapter, the other end of a
    // pseudo-terminal closed).
    virtual void OnPortLost(const QString& portName, const QString& reason) = 0;
};

class CCommPortPrivate;
class CTrafficLog;

class CCommPort : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSendBufferSize = 512;

    explicit CCommPort(QObject* parent = nullptr);
    ~CCommPort() override;

    // Opens portName (a name such as "ttyUSB0", "COM7" or "pts/4", or a device path such as
    // "/dev/pts/4") at baud, 8N1, no flow control. A running monitor is stopped first. Returns
    // false only when the device cannot be opened; a configuration failure after the device
    // opened is reported in an "Application Error" box and still returns true.
    bool Open(IPortOwner* owner, const QString& portName, int baud, char parity = 'N',
              int dataBits = 8, int stopBits = 1, int sendBufferSize = kDefaultSendBufferSize);

    // Starts the monitor thread. Call right after a successful Open.
    bool StartMonitor();

    // Queues text for writing (at most the send-buffer size less one characters; a longer text is
    // cut). Returns at once. Inside OnPortRxChar the write happens after the bytes already read
    // have been delivered; a second Send before the write replaces the first text.
    void Send(const std::string& text);

    // Ends the monitor thread and closes the port; a pending write goes out first.
    void Close();

    // For nominalMs (scaled by Timing) no byte is delivered; a write requested from within a
    // byte handler waits for the hold's end too, a write requested elsewhere does not. Never
    // blocks the calling thread. Close and Open end a hold.
    void Hold(int nominalMs);
    bool IsHeld() const;
    // Bytes received and waiting for delivery (while a hold lasts).
    int BytesWaiting() const;

    // Delivers now, in arrival order, whatever has arrived and not been delivered yet: reads on
    // their way to this thread and bytes the device holds that the monitor has not read. A
    // decision taken when a timer runs out (silence, a countdown, the next rate to try) calls
    // it first: a thread that was kept busy must not take an answer that arrived in time for a
    // missing one. Does nothing during a hold or inside OnPortRxChar.
    void TakeArrived();

    bool IsOpen() const;
    bool IsMonitoring() const;
    QString PortName() const;
    int Baud() const;

    // Records the traffic and the port's events into log from now on (nullptr stops it). The
    // caller keeps the log alive while it is set.
    void SetTrafficLog(CTrafficLog* log);

    // The device path for a port name ("ttyUSB0" -> "/dev/ttyUSB0", "COM7" stays "COM7").
    static QString DevicePath(const QString& portName);

private:
    std::unique_ptr<CCommPortPrivate> d;
};
