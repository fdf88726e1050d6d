// The exchange's side of a write: starting it, and carrying out each step's decision.

#include "exchange/RadioExchange.h"

template <class Plan> bool CRadioExchange::BeginWrite(const Plan& plan, RadioFamily family) {
    // One write at a time, of the connected family, and only a plan that the radio will take
    // whole: nothing is sent that could leave it half-written for a reason known beforehand.
    if (m_write.Running() || m_radioFamily != family || !CheckWritePlan(plan).empty()) {
        return false;
    }
    m_write.Start(plan);
    // Bytes left over from before would keep the echo from being recognised.
    m_reply.Reset();
    SendCommand(CWriteSequence::kOpenDialogue);
    return true;
}

bool CRadioExchange::StartWrite(const OrvWritePlan& plan) {
    if (!BeginWrite(plan, FAMILY_ORV)) {
        return false;
    }
    m_settings.orvProgram = plan.program;
    return true;
}

bool CRadioExchange::StartWrite(const QxWritePlan& plan) {
    if (!BeginWrite(plan, FAMILY_QX)) {
        return false;
    }
    m_settings.qxProgram = plan.program;
    return true;
}

void CRadioExchange::RunWriteStep() {
    if (!m_write.Running() || m_write.Family() != m_radioFamily) {
        return;
    }
    const RadioFamily family = m_write.Family();
    const WriteAction action = family == FAMILY_ORV
                                   ? m_write.OrvWriteStep(m_reply.bytes.data(), m_reply.count)
                                   : m_write.QxWriteStep(m_reply.bytes.data(), m_reply.count);
    if (!action.taken) {
        return;
    }
    m_reply.Reset();
    if (!action.command.empty()) {
        SendCommand(action.command);
    }
    if (action.end == WriteEnd::None) {
        return;
    }
    // Whatever ended the write, nothing of it is awaited any more (an ESC that left a broken
    // dialogue is not watched: its answer changes nothing).
    m_awaitingAnswer = false;
    m_host.SetWatchdog(0);
    switch (action.end) {
    case WriteEnd::Saved:
        m_host.WriteFinished(family);
        break;
    case WriteEnd::Failed:
        m_host.WriteFailed(family);
        break;
    case WriteEnd::Broken:
        m_host.WriteBroken(family, action.fault);
        break;
    case WriteEnd::SaveUnconfirmed:
        m_host.SaveUnconfirmed(family);
        break;
    case WriteEnd::None:
        break;
    }
}
