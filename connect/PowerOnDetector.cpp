#include "connect/PowerOnDetector.h"

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "exchange/PowerOnReport.h"
#include "exchange/RateTables.h"

CPowerOnDetector::CPowerOnDetector(CRadioSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&m_tick, &QTimer::timeout, this, &CPowerOnDetector::OnTick);
    m_reopenWait.setSingleShot(true);
    connect(&m_reopenWait, &QTimer::timeout, this, &CPowerOnDetector::Reopen);
    m_beforePlus.setSingleShot(true);
    connect(&m_beforePlus, &QTimer::timeout, this, &CPowerOnDetector::SendPlus);
    connect(&m_session, &CRadioSession::readStarted, this, [this] {
        const bool waiting =
            m_tick.isActive() || m_reopenWait.isActive() || m_beforePlus.isActive();
        if (waiting && !m_plusSent) {
            Stop();
            m_session.LeaveCommandMode();
            emit wrongFamily();
        }
    });
}

void CPowerOnDetector::Start() {
    Stop();
    m_plusSent = false;
    m_secondsLeft = kCountdownSeconds;
    m_tick.start(Timing::ScaledMs(kTickMs));
}

void CPowerOnDetector::Redetect() {
    Start();
}

void CPowerOnDetector::Stop() {
    m_tick.stop();
    m_reopenWait.stop();
    m_beforePlus.stop();
}

void CPowerOnDetector::OnTick() {
    // A report that arrived before this tick counts, however late the tick runs.
    m_session.TakeArrived();
    if (!m_tick.isActive()) {
        return;
    }
    emit tick(m_secondsLeft);

    if (m_secondsLeft <= 0) {
        // The port stays open at 9600 so that "detect again" can reuse it.
        m_session.DiscardReceived();
        m_tick.stop();
        emit timedOut();
    } else if (m_session.ReceivedText().size() >= 19) {
        const PowerOnReport report = ParsePowerOnReport(m_session.ReceivedText());
        m_session.NotePowerOnReport(report.channel, report.rateCode);
        if (report.valid) {
            m_session.DiscardReceived();
            m_tick.stop();
            m_reopenBaud = RateTables::OrvPortRateBaud(report.rateCode);
            emit detected(report.channel, report.rateCode, m_reopenBaud);
            m_session.ClosePort();
            m_reopenWait.start(Timing::ScaledMs(kReopenWaitMs));
        }
    }
    --m_secondsLeft;
}

void CPowerOnDetector::Reopen() {
    if (!m_session.OpenPort(m_reopenBaud)) {
        emit reopenFailed();
        return;
    }
    emit reopened();
    // Let the radio settle at its own rate before the escape sequence, and handle its answer
    // only after the wait that follows "+++". One hold spans both waits, so that nothing
    // received before "+++" reaches the reply buffer: the write of "+++" discards it.
    m_session.Hold(kBeforePlusMs + kAfterPlusMs);
    m_beforePlus.start(Timing::ScaledMs(kBeforePlusMs));
}

void CPowerOnDetector::SendPlus() {
    if (!m_session.PortOpen()) {
        return;
    }
    m_plusSent = true;
    m_session.SendWatched("+++");
    emit plusSent();
}
