#include "exchange/WriteSequence.h"

namespace {

constexpr std::string_view kDialogueClosed = "\r\nOK\r\n";
constexpr std::string_view kError = "ERROR\r\n";
constexpr std::size_t kPromptLength = 58;
constexpr std::size_t kRegisterAt = 3; // "ats105=" -> "105"

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool PromptIs(std::string_view text, std::string_view prompt) {
    return text.size() >= kPromptLength && text.substr(text.size() - kPromptLength) == prompt;
}

bool IsEcho(std::string_view text) {
    return text == "ATP0=\r" || text == "\nATP0=\r\n";
}

} // namespace

void CWriteSequence::Start(const OrvWritePlan& plan) {
    Reset();
    m_family = FAMILY_ORV;
    m_orv = plan;
    m_phase = WritePhase::AwaitEcho;
}

void CWriteSequence::Start(const QxWritePlan& plan) {
    Reset();
    m_family = FAMILY_QX;
    m_qx = plan;
    m_phase = WritePhase::AwaitEcho;
}

void CWriteSequence::Reset() {
    m_phase = WritePhase::Idle;
    m_programIndex = 0;
    m_chainRow = 0;
}

template <class Plan>
WriteAction CWriteSequence::Step(const unsigned char* bytes, int count, const Plan& plan,
                                 std::span<const WriteStep<Plan>> chain) {
    if (!Running() || count <= 0) {
        return {};
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes),
                                static_cast<std::size_t>(count));
    if (EndsWith(text, kError)) {
        // The radio refused the last answer or command: nothing is retried.
        Reset();
        return {true, {}, WriteEnd::Failed};
    }
    switch (m_phase) {
    case WritePhase::AwaitEcho:
        if (IsEcho(text)) {
            m_phase = WritePhase::Programming;
            return {true, kAccessCode};
        }
        return {};
    case WritePhase::Programming:
        return Answer(text, plan.program);
    case WritePhase::AwaitClose:
        if (text == kDialogueClosed) {
            return SendFrom(0, plan, chain);
        }
        return {};
    case WritePhase::Registers:
        return Advance(text, plan, chain);
    case WritePhase::Idle:
        break;
    }
    return {};
}

WriteAction CWriteSequence::Answer(std::string_view text, std::span<const ChannelEntry> rows) {
    const bool rowLeft = m_programIndex < static_cast<int>(rows.size());
    const ChannelEntry* row = rowLeft ? &rows[static_cast<std::size_t>(m_programIndex)] : nullptr;
    if (PromptIs(text, kChannelPrompt)) {
        if (row != nullptr) {
            return {true, row->channel + "\r"};
        }
        // Every row has been given: ESC ends the dialogue.
        m_programIndex = 0;
        m_phase = WritePhase::AwaitClose;
        return {true, std::string(1, kEsc)};
    }
    // A field prompt after the last row would ask for a row that does not exist: leave it
    // unanswered rather than invent one.
    if (row == nullptr) {
        return {};
    }
    if (PromptIs(text, kFrequencyPrompt)) {
        return {true, row->frequency + "\r"};
    }
    if (PromptIs(text, kBandwidthPrompt)) {
        return {true, row->bandwidth + "\r"};
    }
    if (PromptIs(text, kDirectionPrompt)) {
        ++m_programIndex;
        return {true, row->direction + "\r"};
    }
    return {};
}

template <class Plan>
WriteAction CWriteSequence::Advance(std::string_view text, const Plan& plan,
                                    std::span<const WriteStep<Plan>> chain) {
    if (!EndsWith(text, kDialogueClosed) || m_chainRow < 0 ||
        m_chainRow >= static_cast<int>(chain.size())) {
        return {};
    }
    const WriteStep<Plan>& sent = chain[static_cast<std::size_t>(m_chainRow)];
    const bool answered = sent.test == EchoTest::Head
                              ? text.starts_with(sent.key)
                              : text.size() >= kRegisterAt + sent.key.size() &&
                                    text.substr(kRegisterAt, sent.key.size()) == sent.key;
    if (!answered) {
        return {};
    }
    if (m_chainRow + 1 == static_cast<int>(chain.size())) {
        // The answer to the save: the radio keeps what was written.
        Reset();
        return {true, {}, WriteEnd::Saved};
    }
    return SendFrom(static_cast<std::size_t>(m_chainRow) + 1, plan, chain);
}

template <class Plan>
WriteAction CWriteSequence::SendFrom(std::size_t row, const Plan& plan,
                                     std::span<const WriteStep<Plan>> chain) {
    while (row < chain.size() && chain[row].wanted != nullptr && !chain[row].wanted(plan)) {
        ++row;
    }
    m_phase = WritePhase::Registers;
    m_chainRow = static_cast<int>(row);
    return {true, row < chain.size() ? chain[row].command(plan) : std::string()};
}

template WriteAction CWriteSequence::Step(const unsigned char*, int, const OrvWritePlan&,
                                          std::span<const WriteStep<OrvWritePlan>>);
template WriteAction CWriteSequence::Step(const unsigned char*, int, const QxWritePlan&,
                                          std::span<const WriteStep<QxWritePlan>>);
