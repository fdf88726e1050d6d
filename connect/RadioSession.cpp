#include "connect/RadioSession.h"

#include "base/Timing.h"
#include "exchange/AnswerBounds.h"

CRadioSession::CRadioSession(QObject* parent)
    : QObject(parent), m_exchange(*this, m_settings), m_port(this) {
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &CRadioSession::OnWatchdogTimeout);
    m_answerBound.setSingleShot(true);
    connect(&m_answerBound, &QTimer::timeout, this, &CRadioSession::OnAnswerBoundTimeout);
}

CRadioSession::~CRadioSession() {
    StopTimers();
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
    StopTimers();
    m_exchange.Abandon();
    m_port.Close();
    m_portOpen = false;
}

int CRadioSession::LineRate() const {
    return m_port.Baud();
}

void CRadioSession::SendWatched(const std::string& text) {
    m_exchange.SendCommand(text);
}

void CRadioSession::SendUnwatched(const std::string& text) {
    m_port.Send(text);
}

void CRadioSession::Hold(int ms) {
    m_port.Hold(ms);
}

void CRadioSession::LeaveCommandMode() {
    m_port.Send("ata\r");
    ClosePort();
}

bool CRadioSession::ReadAgain(RadioFamily family) {
    if (!m_portOpen || m_exchange.Reading() || m_exchange.Write().Running()) {
        return false;
    }
    m_exchange.SetFamily(family);
    return m_exchange.ReadAgain();
}

void CRadioSession::SendCommand(const std::string& text) {
    m_port.Send(text);
}

void CRadioSession::ReadStarted(RadioFamily family) {
    emit readStarted(family);
}

void CRadioSession::ReadFinished(RadioFamily family) {
    emit readFinished(family);
}

void CRadioSession::SetWatchdog(int ms) {
    if (ms <= 0) {
        StopTimers();
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

void CRadioSession::ExpectAnswer(const std::string& command, int holdMs) {
    m_answerBound.start(
        AnswerBounds::AnswerBoundMs(command, m_port.Baud(), holdMs, Timing::Scale()));
}

void CRadioSession::OnWatchdogTimeout() {
    // Bytes that arrived in time move the deadline, however late this thread gets to them.
    m_port.TakeArrived();
    const qint64 left = m_watchdogDeadline.remainingTime();
    if (left > 0) {
        m_watchdog.start(static_cast<int>(left));
        return;
    }
    StopTimers();
    m_exchange.OnWatchdogExpired();
}

void CRadioSession::OnAnswerBoundTimeout() {
    // A whole answer that arrived in time sends the next command, which sets a new bound.
    m_port.TakeArrived();
    if (m_answerBound.isActive() || !m_exchange.AwaitingAnswer()) {
        return;
    }
    // Bytes kept coming, but never a whole answer: the same end as silence.
    StopTimers();
    m_exchange.OnWatchdogExpired();
}

void CRadioSession::StopTimers() {
    m_watchdog.stop();
    m_answerBound.stop();
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

void CRadioSession::ReadFailed(ReadFailure why, const std::string& command) {
    emit readFailed(why, QString::fromStdString(command));
}

void CRadioSession::OnPortRxChar(unsigned char byte, const QString&) {
    m_exchange.OnPortRxChar(byte);
}

void CRadioSession::OnPortLost(const QString&, const QString& reason) {
    StopTimers();
    m_exchange.Abandon();
    m_port.Close();
    m_portOpen = false;
    emit portLost(reason);
}
