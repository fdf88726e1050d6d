#include "connect/ConfigKeyConnector.h"

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "exchange/PowerOnReport.h"
#include "exchange/RadioSettings.h"

CConfigKeyConnector::CConfigKeyConnector(CRadioSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&m_tick, &QTimer::timeout, this, &CConfigKeyConnector::OnTick);
    m_closeWait.setSingleShot(true);
    connect(&m_closeWait, &QTimer::timeout, this, &CConfigKeyConnector::timedOut);
    connect(&m_session, &CRadioSession::readStarted, this, [this](RadioFamily family) {
        if (family == FAMILY_QX && m_tick.isActive()) {
            Stop();
            emit connected();
        }
    });
}

void CConfigKeyConnector::Start() {
    Stop();
    m_secondsLeft = kCountdownSeconds;
    emit tick(m_secondsLeft);
    m_tick.start(Timing::ScaledMs(kTickMs));
}

void CConfigKeyConnector::Stop() {
    m_tick.stop();
    m_closeWait.stop();
}

void CConfigKeyConnector::OnTick() {
    // What arrived before this tick counts, however late the tick runs.
    m_session.TakeArrived();
    if (!m_tick.isActive()) {
        return;
    }
    if (ParsePowerOnReport(m_session.ReceivedText()).valid) {
        Stop();
        m_session.ClosePort();
        emit wrongFamily();
        return;
    }
    emit tick(m_secondsLeft);
    const int shown = m_secondsLeft--;
    if (shown != 0) {
        return;
    }
    // The port is closed before the user is told, so the module cannot start a read behind the
    // message.
    m_tick.stop();
    m_session.ClosePort();
    m_secondsLeft = kCountdownSeconds;
    m_closeWait.start(Timing::ScaledMs(kCloseWaitMs));
}
