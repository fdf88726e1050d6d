#include "connect/RadioSession.h"

#include "base/Timing.h"

CRadioSession::CRadioSession(QObject* parent)
    : QObject(parent), m_exchange(*this, m_settings), m_port(this) {
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &CRadioSession::OnWatchdogTimeout);
}

CRadioSession::~CRadioSession() {
    m_watchdog.stop();
    m_port.Close();
}

bool CRadioSession::OpenPort(int baud) {
    m_exchange.Abandon();
    if (!m_port.Open(this, m_portName, baud)) {
        m_portOpen = false;
        return false;
    }
    m_port.StartMonitor();
    m_portOpen = true;
    return true;
}

void CRadioSession::ClosePort() {
    m_watchdog.stop();
    m_exchange.Abandon();
    m_port.Close();
    m_portOpen = false;
}

void CRadioSession::SendCommand(const std::string& text) {
    m_port.Send(text);
}

void CRadioSession::Hold(int ms) {
    m_port.Hold(ms);
}

void CRadioSession::ReadStarted(int family) {
    emit readStarted(family);
}

void CRadioSession::ReadFinished(int family) {
    emit readFinished(family);
}

void CRadioSession::SetWatchdog(int ms) {
    if (ms <= 0) {
        m_watchdog.stop();
        return;
    }
    // Every received byte moves the deadline; the timer itself is restarted only when it must
    // fire sooner than it is set to, so the per-byte cost is a clock read.
    const int period = Timing::ScaledMs(ms);
    m_watchdogDeadline.setRemainingTime(period, Qt::PreciseTimer);
    if (!m_watchdog.isActive() || m_watchdog.remainingTime() > period) {
        m_watchdog.start(period);
    }
}

void CRadioSession::OnWatchdogTimeout() {
    const qint64 left = m_watchdogDeadline.remainingTime();
    if (left > 0) {
        m_watchdog.start(static_cast<int>(left));
        return;
    }
    m_exchange.OnWatchdogExpired();
}

void CRadioSession::NoAnswer() {
    emit noAnswer();
}

void CRadioSession::ReplyRejected() {
    emit replyRejected();
}

void CRadioSession::WriteFinished(RadioFamily family) {
    emit writeFinished(family);
}

void CRadioSession::WriteFailed(RadioFamily family) {
    emit writeFailed(family);
}

void CRadioSession::OnPortRxChar(unsigned char byte, const QString&) {
    m_exchange.OnPortRxChar(byte);
}

void CRadioSession::OnPortLost(const QString&, const QString& reason) {
    m_watchdog.stop();
    m_exchange.Abandon();
    m_port.Close();
    m_portOpen = false;
    emit portLost(reason);
}
