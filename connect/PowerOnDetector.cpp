#include "connect/PowerOnDetector.h"

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "exchange/PowerOnReport.h"
#include "exchange/RateTables.h"

CPowerOnDetector::CPowerOnDetector(CRadioSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&m_tick, &QTimer::timeout, this, &CPowerOnDetector::OnTick);
}

void CPowerOnDetector::Start() {
    ++m_generation;
    m_secondsLeft = kCountdownSeconds;
    m_tick.start(Timing::ScaledMs(kTickMs));
}

void CPowerOnDetector::Redetect() {
    Start();
}

void CPowerOnDetector::Stop() {
    ++m_generation;
    m_tick.stop();
}

void CPowerOnDetector::OnTick() {
    emit tick(m_secondsLeft);

    if (m_secondsLeft <= 0) {
        // The port stays open at 9600 so that "detect again" can reuse it.
        m_session.Buffer().Reset();
        m_tick.stop();
        emit timedOut();
    } else if (m_session.Buffer().text.size() >= 19) {
        const PowerOnReport report = ParsePowerOnReport(m_session.Buffer().text);
        RadioSettings& settings = m_session.Settings();
        settings.orvCurrentChannel = report.channel;
        settings.orvPortRate = report.rateCode;
        if (report.valid) {
            m_session.Buffer().Reset();
            m_tick.stop();
            const int baud = RateTables::OrvPortRateBaud(report.rateCode);
            emit detected(report.channel, report.rateCode, baud);
            m_session.ClosePort();
            const int generation = ++m_generation;
            QTimer::singleShot(Timing::ScaledMs(kReopenWaitMs), this, [this, generation, baud] {
                if (generation == m_generation) {
                    Reopen(baud);
                }
            });
        }
    }
    --m_secondsLeft;
}

void CPowerOnDetector::Reopen(int baud) {
    if (!m_session.OpenPort(baud)) {
        emit reopenFailed();
        return;
    }
    emit reopened();
    // Let the radio settle at its own rate before the escape sequence, and handle its answer
    // only after the wait that follows "+++". One hold spans both waits, so that nothing
    // received before "+++" reaches the reply buffer: the write of "+++" discards it.
    m_session.Port().Hold(kBeforePlusMs + kAfterPlusMs);
    const int generation = m_generation;
    QTimer::singleShot(Timing::ScaledMs(kBeforePlusMs), this, [this, generation] {
        if (generation != m_generation || !m_session.PortOpen()) {
            return;
        }
        m_session.Exchange().SendCommand("+++");
        emit plusSent();
    });
}
