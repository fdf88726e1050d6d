#include "connect/RadioSession.h"

#include "base/Timing.h"
#include "exchange/AnswerBounds.h"

#include <QMetaObject>

#include <algorithm>

namespace {

// A timer of the no-answer rules that fires this much later than due (or an eighth of its
// period, when that is more) found the program stalled.
constexpr qint64 kStallMs = 40;
// Periods given on top, in a row, when the program stalled.
constexpr int kMaxGraces = 3;

} // namespace

CRadioSession::CRadioSession(QObject* parent)
    : QObject(parent), m_exchange(*this, m_record), m_port(this) {
    qRegisterMetaType<RadioSnapshot>();
    // Late only when the program stalls, so that lateness tells a stall.
    m_watchdog.setTimerType(Qt::PreciseTimer);
    m_answerBound.setTimerType(Qt::PreciseTimer);
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
    emit readFinished(RadioSnapshot{family, m_record, m_portName, QDateTime::currentDateTimeUtc()});
}

void CRadioSession::NotePowerOnReport(int channel, int rateCode) {
    m_record.orvCurrentChannel = channel;
    m_record.orvPortRate = rateCode;
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
    m_watchdogPeriod = period;
    m_watchdogGraces = 0;
    if (!m_watchdog.isActive() || m_watchdog.remainingTime() > period) {
        m_watchdog.start(period);
    }
}

void CRadioSession::ExpectAnswer(const std::string& command, int holdMs) {
    // A new command is out: whatever ran out for the one before no longer matters.
    m_expiring = false;
    m_boundGraces = 0;
    const int bound = AnswerBounds::AnswerBoundMs(command, m_port.Baud(), holdMs, Timing::Scale());
    m_answerDeadline.setRemainingTime(bound, Qt::PreciseTimer);
    m_answerBound.start(bound);
}

bool CRadioSession::Stalled(const QDeadlineTimer& due, int periodMs) const {
    const qint64 lateMs =
        (QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs() - due.deadlineNSecs()) / 1000000;
    return lateMs > std::max<qint64>(kStallMs, periodMs / 8);
}

bool CRadioSession::GiveAnotherPeriod(bool bound) {
    int& graces = bound ? m_boundGraces : m_watchdogGraces;
    if (graces >= kMaxGraces) {
        return false;
    }
    ++graces;
    if (bound) {
        m_answerDeadline.setRemainingTime(m_answerBound.interval(), Qt::PreciseTimer);
        m_answerBound.start();
    } else {
        m_watchdogDeadline.setRemainingTime(m_watchdogPeriod, Qt::PreciseTimer);
        m_watchdog.start(m_watchdogPeriod);
    }
    return true;
}

void CRadioSession::OnWatchdogTimeout() {
    // Bytes that arrived in time move the deadline, however late this thread gets to them.
    m_port.TakeArrived();
    const qint64 left = m_watchdogDeadline.remainingTime();
    if (left > 0) {
        m_watchdog.start(static_cast<int>(left));
        return;
    }
    if (!Stalled(m_watchdogDeadline, m_watchdogPeriod) || !GiveAnotherPeriod(false)) {
        ExpireAfterDelivery(false);
    }
}

void CRadioSession::OnAnswerBoundTimeout() {
    // A whole answer that arrived in time sends the next command, which sets a new bound.
    m_port.TakeArrived();
    if (m_answerBound.isActive() || !m_exchange.AwaitingAnswer()) {
        return;
    }
    // Bytes kept coming, but never a whole answer: the same end as silence.
    if (!Stalled(m_answerDeadline, m_answerBound.interval()) || !GiveAnotherPeriod(true)) {
        ExpireAfterDelivery(true);
    }
}

void CRadioSession::ExpireAfterDelivery(bool bound) {
    // Bytes the port read before the timer ran out may still be on their way to this thread:
    // they are handled first. If they complete the answer a new command is out, or the exchange
    // is done, and nothing has run out; if they are only more of it, the silence was none.
    if (m_expiring) {
        return;
    }
    m_expiring = true;
    QMetaObject::invokeMethod(
        this,
        [this, bound] {
            if (!m_expiring) {
                return;
            }
            m_expiring = false;
            const qint64 left = m_watchdogDeadline.remainingTime();
            if (!bound && left > 0) {
                m_watchdog.start(static_cast<int>(left));
                return;
            }
            StopTimers();
            m_exchange.OnWatchdogExpired();
        },
        Qt::QueuedConnection);
}

void CRadioSession::StopTimers() {
    m_watchdog.stop();
    m_answerBound.stop();
    m_expiring = false;
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

void CRadioSession::WriteBroken(RadioFamily family, const WriteFault& fault) {
    emit writeBroken(family, QString::fromStdString(WriteFaultText(fault, false)),
                     QString::fromStdString(WriteFaultText(fault, true)));
}

void CRadioSession::SaveUnconfirmed(RadioFamily family) {
    emit saveUnconfirmed(family);
}

void CRadioSession::ReadFailed(ReadFailure why, const std::string& command,
                               const std::string& reply) {
    emit readFailed(why, QString::fromStdString(command),
                    QString::fromLatin1(reply.data(), static_cast<qsizetype>(reply.size())));
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
