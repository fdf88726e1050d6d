#include "connect/SoftDiagnosis.h"

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "exchange/RadioSettings.h"
#include "exchange/RateTables.h"

namespace {
constexpr int kLastIndex = static_cast<int>(RateTables::kSoftDiagRates.size()) - 1;
}

CSoftDiagnosis::CSoftDiagnosis(CRadioSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&m_tick, &QTimer::timeout, this, &CSoftDiagnosis::OnTick);
    connect(&m_session, &CRadioSession::readStarted, this, [this](RadioFamily family) {
        if (family == FAMILY_QX && (m_tick.isActive() || m_lastAttemptMade)) {
            Stop();
            emit connected(m_lastBaud);
        }
    });
}

void CSoftDiagnosis::Start() {
    m_rateIndex = 0;
    m_lastAttemptMade = false;
    m_tick.start(Timing::ScaledMs(kTickMs));
}

void CSoftDiagnosis::Stop() {
    m_tick.stop();
    m_rateIndex = 0;
    m_lastAttemptMade = false;
}

void CSoftDiagnosis::Finish() {
    Stop();
    m_session.ClosePort();
}

void CSoftDiagnosis::OnTick() {
    // An answer at the rate just tried that arrived within its period is heard before the port
    // moves on; it starts the read, which ends the search.
    m_session.TakeArrived();
    if (!m_tick.isActive()) {
        return;
    }
    if (m_lastAttemptMade) {
        // The last rate had a whole period to answer, as every other rate had.
        Stop();
        emit exhausted();
        return;
    }
    const int index = m_rateIndex;
    const int baud = RateTables::kSoftDiagRates[static_cast<std::size_t>(index)];
    const bool opened = m_session.OpenPort(baud);
    m_lastBaud = baud;
    emit attempt(index, baud, opened);
    if (!opened && index == 0) {
        Stop();
        emit portUnavailable();
        return;
    }
    if (opened) {
        // Most rates are wrong and stay silent: no answer is awaited here. The start answer at
        // the right rate begins the read, which watches its own commands.
        m_session.SendUnwatched("+++");
        m_session.Hold(kAfterPlusMs);
    }
    if (index >= kLastIndex) {
        m_lastAttemptMade = true;
    }
    ++m_rateIndex;
}
