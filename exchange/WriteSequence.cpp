#include "exchange/WriteSequence.h"

#include "exchange/ReplyText.h"

#include <array>

namespace {

constexpr std::string_view kAnswerEnd = "\r\nOK\r\n";
constexpr std::string_view kError = "ERROR\r\n";
constexpr std::size_t kPromptLength = 58;
constexpr const char* kEscName = "ESC";

constexpr std::array<const char*, 4> kPromptTexts = {
    CWriteSequence::kChannelPrompt, CWriteSequence::kFrequencyPrompt,
    CWriteSequence::kBandwidthPrompt, CWriteSequence::kDirectionPrompt};

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The index of the prompt that ends text, or -1.
int PromptAtEnd(std::string_view text) {
    if (text.size() < kPromptLength) {
        return -1;
    }
    const std::string_view tail = text.substr(text.size() - kPromptLength);
    for (std::size_t i = 0; i < kPromptTexts.size(); ++i) {
        if (tail == kPromptTexts[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The radio's echo of "ATP0=\r", behind whatever noise. The radio may put it between line feeds
// ("\nATP0=\r\n"): the feed in front is like noise, the one after it like noise before the
// first prompt.
bool IsOpenEcho(std::string_view text) {
    return EndsWith(text, "ATP0=\r");
}

// What came instead of an answer, for the message: without the line ends around it and
// without the "\r\nOK\r\n" or prompt that closed it; "OK" when nothing else came.
std::string Received(std::string_view text) {
    if (EndsWith(text, kAnswerEnd)) {
        text.remove_suffix(kAnswerEnd.size());
    }
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text.empty() ? std::string(CWriteSequence::kDialogueEnd) : ReplyText::Printable(text);
}

std::string WithoutReturn(const std::string& command) {
    return command.ends_with('\r') ? command.substr(0, command.size() - 1) : command;
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
    m_saveSent = false;
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
        return AwaitEcho(text);
    case WritePhase::Programming:
        return Answer(text, plan.program);
    case WritePhase::AwaitClose:
        return AwaitClose(text, plan, chain);
    case WritePhase::Registers:
        return Advance(text, plan, chain);
    case WritePhase::Idle:
        break;
    }
    return {};
}

WriteAction CWriteSequence::AwaitEcho(std::string_view text) {
    if (IsOpenEcho(text)) {
        m_phase = WritePhase::Programming;
        // The access code is not echoed: the first prompt follows a bare line end.
        m_due = Prompt::Channel;
        m_echo = "\r\n";
        m_sent = kAccessCode;
        return {true, kAccessCode};
    }
    if (const int asked = PromptAtEnd(text); asked >= 0) {
        return Break(WriteFault::Kind::WrongEcho, "ATP0=", kPromptTexts[asked], true);
    }
    if (EndsWith(text, kAnswerEnd)) {
        return Break(WriteFault::Kind::WrongEcho, "ATP0=", Received(text), false);
    }
    return {};
}

WriteAction CWriteSequence::Type(const std::string& answer, Prompt next) {
    m_due = next;
    m_echo = answer + "\r\n";
    m_sent = ReplyText::Printable(answer);
    return {true, answer + "\r"};
}

WriteAction CWriteSequence::Break(WriteFault::Kind kind, std::string expected, std::string received,
                                  bool dialogueOpen) {
    Reset();
    WriteAction action{true, dialogueOpen ? std::string(1, kEsc) : std::string(), WriteEnd::Broken};
    action.fault = {kind, std::move(expected), std::move(received)};
    return action;
}

WriteAction CWriteSequence::Answer(std::string_view text, std::span<const ChannelEntry> rows) {
    const int asked = PromptAtEnd(text);
    if (asked < 0) {
        // The radio left the dialogue on what it was given last.
        if (EndsWith(text, kAnswerEnd)) {
            return Break(WriteFault::Kind::WrongEcho, m_sent, Received(text), false);
        }
        return {};
    }
    // A skipped prompt would leave a field as it was; a repeated one would shift the rest of the
    // table into the wrong fields and channels.
    if (asked != static_cast<int>(m_due)) {
        return Break(WriteFault::Kind::UnexpectedPrompt, kPromptTexts[static_cast<int>(m_due)],
                     kPromptTexts[asked], true);
    }
    const std::string_view before = text.substr(0, text.size() - kPromptLength);
    if (!ReplyText::EndsWithEcho(before, m_echo)) {
        return Break(WriteFault::Kind::WrongEcho, m_sent, Received(before), true);
    }
    const bool rowLeft = m_programIndex < static_cast<int>(rows.size());
    if (!rowLeft) {
        // Every row has been given: ESC ends the dialogue (only a channel prompt is due here).
        m_programIndex = 0;
        m_phase = WritePhase::AwaitClose;
        m_sent = kEscName;
        return {true, std::string(1, kEsc)};
    }
    const ChannelEntry& row = rows[static_cast<std::size_t>(m_programIndex)];
    switch (m_due) {
    case Prompt::Channel:
        return Type(row.channel, Prompt::Frequency);
    case Prompt::Frequency:
        return Type(row.frequency, Prompt::Bandwidth);
    case Prompt::Bandwidth:
        return Type(row.bandwidth, Prompt::Direction);
    case Prompt::Direction:
        break;
    }
    ++m_programIndex;
    return Type(row.direction, Prompt::Channel);
}

template <class Plan>
WriteAction CWriteSequence::AwaitClose(std::string_view text, const Plan& plan,
                                       std::span<const WriteStep<Plan>> chain) {
    // ESC has no echo: whatever comes before the dialogue's end is noise.
    if (const int asked = PromptAtEnd(text); asked >= 0) {
        return Break(WriteFault::Kind::UnexpectedPrompt, kDialogueEnd, kPromptTexts[asked], true);
    }
    if (!EndsWith(text, kAnswerEnd)) {
        return {};
    }
    return SendFrom(0, plan, chain);
}

template <class Plan>
WriteAction CWriteSequence::Advance(std::string_view text, const Plan& plan,
                                    std::span<const WriteStep<Plan>> chain) {
    if (m_chainRow < 0 || m_chainRow >= static_cast<int>(chain.size())) {
        return {};
    }
    const int asked = PromptAtEnd(text);
    if (asked < 0 && !EndsWith(text, kAnswerEnd)) {
        return {};
    }
    // The echo carries the whole command, value included: a digit changed on the line would
    // otherwise be saved unnoticed (the read-back cannot see every register).
    const bool echoed = asked < 0 && ReplyText::FindEcho(text, m_sent + "\r") != std::string::npos;
    if (m_saveSent) {
        // The radio took "at&w" whatever it made of its answer: it may well have saved.
        Reset();
        return {true, {}, echoed ? WriteEnd::Saved : WriteEnd::SaveUnconfirmed};
    }
    if (asked >= 0) {
        return Break(WriteFault::Kind::UnexpectedPrompt, m_sent, kPromptTexts[asked], true);
    }
    if (!echoed) {
        return Break(WriteFault::Kind::WrongEcho, m_sent, Received(text), false);
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
    m_saveSent = row + 1 == chain.size();
    const std::string command = row < chain.size() ? chain[row].command(plan) : std::string();
    m_sent = WithoutReturn(command);
    return {true, command};
}

template WriteAction CWriteSequence::Step(const unsigned char*, int, const OrvWritePlan&,
                                          std::span<const WriteStep<OrvWritePlan>>);
template WriteAction CWriteSequence::Step(const unsigned char*, int, const QxWritePlan&,
                                          std::span<const WriteStep<QxWritePlan>>);
