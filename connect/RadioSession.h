#pragma once
// One connection to a radio: the serial port, the command exchange and the settings record,
// with the exchange's host implemented on Qt (holds on the port, the watchdog on a timer).
// The main window and the command-line client each own one and listen to its signals.

#include "exchange/RadioExchange.h"
#include "serial/CommPort.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

class CRadioSession : public QObject, public IExchangeHost, public IPortOwner {
    Q_OBJECT
public:
    explicit CRadioSession(QObject* parent = nullptr);
    ~CRadioSession() override;

    CCommPort& Port() { return m_port; }
    CRadioExchange& Exchange() { return m_exchange; }
    RadioSettings& Settings() { return m_settings; }
    ReplyBuffer& Buffer() { return m_exchange.Buffer(); }

    void SetFamily(int family) { m_exchange.SetFamily(family); }
    int Family() const { return m_exchange.Family(); }

    void SetPortName(const QString& name) { m_portName = name; }
    QString PortName() const { return m_portName; }

    // Opens the chosen port at baud (8N1) and starts its monitor; false when it cannot be opened.
    bool OpenPort(int baud);
    // Closes the port (a pending write goes out first) and forgets any outstanding command.
    void ClosePort();
    bool PortOpen() const { return m_portOpen; }

    // IExchangeHost
    void SendCommand(const std::string& text) override;
    void Hold(int ms) override;
    void ReadStarted(int family) override;
    void ReadFinished(int family) override;
    void SetWatchdog(int ms) override;
    void NoAnswer() override;
    void ReplyRejected() override;
    void WriteFinished(RadioFamily family) override;
    void WriteFailed(RadioFamily family) override;

    // IPortOwner
    void OnPortRxChar(unsigned char byte, const QString& portName) override;
    void OnPortLost(const QString& portName, const QString& reason) override;

signals:
    void readStarted(int family);
    void readFinished(int family);
    void noAnswer();
    void replyRejected();
    void writeFinished(int family);
    void writeFailed(int family);
    void portLost(const QString& reason);

private:
    void OnWatchdogTimeout();

    RadioSettings m_settings;
    CRadioExchange m_exchange;
    CCommPort m_port;
    QTimer m_watchdog;
    QDeadlineTimer m_watchdogDeadline;
    QString m_portName;
    bool m_portOpen = false;
};
