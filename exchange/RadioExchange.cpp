#include "exchange/RadioExchange.h"

#include "exchange/PowerOnReport.h"
#include "exchange/ReplyText.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace {

constexpr std::string_view kStartText = CRadioExchange::kStartAnswer;
constexpr std::string_view kOk = "OK\r\n";
constexpr std::string_view kError = "ERROR\r\n";
constexpr std::string_view kListingEcho = "ATP0?";
constexpr std::size_t kValueIndex = 9; // the 7-character echo, then "\r\n"

enum class ValueRule { OneDigit, TwoDigits, ToLineEnd, BeforeDash };

using StoreFn = void (*)(RadioSettings&, std::string_view value);

struct ReadStep {
    std::string_view echo; // the command without its "\r"
    ValueRule rule;
    // The most digits the register's value has: one-digit registers and mode digits 1, channel
    // numbers 0..63, the power (20..33), the QX port rate (0..14) and data format (1..10) 2,
    // addresses (1..255) 3. A longer value, or anything but digits, is line noise.
    std::size_t digits;
    StoreFn store; // nullptr: the value is not kept
    const char* next;
    int holdMs; // held after sending next
};

template <auto Group, auto Field> void StoreInt(RadioSettings& s, std::string_view value) {
    (s.*Group).*Field = DecimalValue(std::string(value));
}

template <auto Group, auto Field> void StoreText(RadioSettings& s, std::string_view value) {
    (s.*Group).*Field = value;
}

template <auto Field> constexpr StoreFn kOrvInt = &StoreInt<&RadioSettings::orv, Field>;
template <auto Field> constexpr StoreFn kQxInt = &StoreInt<&RadioSettings::qx, Field>;

constexpr ValueRule kOne = ValueRule::OneDigit;
constexpr ValueRule kTwo = ValueRule::TwoDigits;
constexpr ValueRule kLine = ValueRule::ToLineEnd;
constexpr ValueRule kDash = ValueRule::BeforeDash;

// The register steps of each family in table order; the listing ("ATP0?") is the last step.
constexpr ReadStep kOrvSteps[] = {
    {"ATS128?", kOne, 1, kOrvInt<&OrvRegisters::s128>, "ATS186?\r", 0},
    {"ATS186?", kOne, 1, kOrvInt<&OrvRegisters::s186>, "ATS127?\r", 0},
    {"ATS127?", kOne, 1, kOrvInt<&OrvRegisters::s127>, "ATS103?\r", 0},
    {"ATS103?", kOne, 1, kOrvInt<&OrvRegisters::s103>, "ATS141?\r", 0},
    {"ATS141?", kOne, 1, kOrvInt<&OrvRegisters::s141>, "ATS101?\r", 0},
    {"ATS101?", kOne, 1, kOrvInt<&OrvRegisters::s101>, "ATS226?\r", 0},
    {"ATS226?", kOne, 1, kOrvInt<&OrvRegisters::s226>, "ATS190?\r", 0},
    {"ATS190?", kOne, 1, kOrvInt<&OrvRegisters::s190>, "ATS105?\r", 0},
    {"ATS105?", kLine, 3, &StoreText<&RadioSettings::orv, &OrvRegisters::s105>, "ATP0?\r",
     CRadioExchange::kOrvListingHoldMs},
};

constexpr ReadStep kQxSteps[] = {
    {"ATS128?", kOne, 1, nullptr, "ATS186?\r", 0},
    {"ATS186?", kOne, 1, kQxInt<&QxRegisters::s186>, "ATS101?\r", 0},
    {"ATS101?", kOne, 1, kQxInt<&QxRegisters::s101>, "ATS127?\r", 0},
    {"ATS127?", kOne, 1, kQxInt<&QxRegisters::s127>, "ATS103?\r", 0},
    {"ATS103?", kOne, 1, kQxInt<&QxRegisters::s103>, "ATS141?\r", 0},
    {"ATS141?", kOne, 1, kQxInt<&QxRegisters::s141>, "ATS125?\r", 0},
    {"ATS125?", kOne, 1, kQxInt<&QxRegisters::s125>, "ATS131?\r", 0},
    {"ATS131?", kDash, 2, kQxInt<&QxRegisters::s131>, "ATS132?\r", 0},
    {"ATS132?", kDash, 2, kQxInt<&QxRegisters::s132>, "ATS191?\r", 0},
    {"ATS191?", kDash, 2, kQxInt<&QxRegisters::s191>, "ATS192?\r", 0},
    {"ATS192?", kDash, 2, kQxInt<&QxRegisters::s192>, "ATS105?\r", 0},
    {"ATS105?", kLine, 3, kQxInt<&QxRegisters::s105>, "ATS108?\r", 0},
    {"ATS108?", kTwo, 2, kQxInt<&QxRegisters::s108>, "ATS158?\r", 0},
    {"ATS158?", kOne, 1, kQxInt<&QxRegisters::s158>, "ATS102?\r", 0},
    {"ATS102?", kLine, 2, kQxInt<&QxRegisters::s102>, "ATS110?\r", 0},
    {"ATS110?", kLine, 2, kQxInt<&QxRegisters::s110>, "ATP0?\r", CRadioExchange::kQxListingHoldMs},
};

bool EndsWithOk(std::string_view text) {
    return text.size() >= kOk.size() && text.substr(text.size() - kOk.size()) == kOk;
}

// The value line of a register reply (the reply from its echo on): from the value position up
// to the line end; "" past the end of a short reply.
std::string_view ValueLine(std::string_view reply) {
    if (reply.size() <= kValueIndex) {
        return {};
    }
    const std::string_view rest = reply.substr(kValueIndex);
    return rest.substr(0, rest.find('\r'));
}

// The value text a rule takes from a register reply; a position past the end yields "".
std::string_view ValueText(std::string_view reply, ValueRule rule) {
    if (reply.size() <= kValueIndex) {
        return {};
    }
    switch (rule) {
    case ValueRule::OneDigit:
        return reply.substr(kValueIndex, 1);
    case ValueRule::TwoDigits:
        return reply.substr(kValueIndex, 2);
    case ValueRule::ToLineEnd:
        return ValueLine(reply);
    case ValueRule::BeforeDash: {
        // The first "-" anywhere in the reply, not only after the value position.
        const std::size_t dash = reply.find('-');
        if (dash == std::string_view::npos || dash < kValueIndex) {
            return {};
        }
        return reply.substr(kValueIndex, dash - kValueIndex);
    }
    }
    return {};
}

// Whether the value a register reply carries is a number as the radio prints it for this
// register: decimal digits, no more of them than the register has, up to the line end (the
// channel registers: up to the "-" before the channel's frequency). A noise byte there, or a
// digit too many, would otherwise be read as a wrong value. The one- and two-digit rules need a
// digit; the other two may find none (an empty value, read as empty or 0).
bool ValueWellFormed(std::string_view reply, const ReadStep& step) {
    const std::string_view line = ValueLine(reply);
    std::string_view field = line;
    bool needsDigit = true;
    switch (step.rule) {
    case ValueRule::OneDigit:
    case ValueRule::TwoDigits:
        break;
    case ValueRule::ToLineEnd:
        needsDigit = false;
        break;
    case ValueRule::BeforeDash:
        // Without a dash the whole line is the value's place (the rule then reads 0).
        field = line.substr(0, line.find('-'));
        needsDigit = false;
        break;
    }
    if ((needsDigit && field.empty()) || field.size() > step.digits) {
        return false;
    }
    return std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first line of a listing that holds a byte the radio never prints there, for the message.
std::string FirstForeignLine(std::string_view listing) {
    for (std::size_t from = 0; from < listing.size();) {
        const std::size_t end = std::min(listing.find('\n', from), listing.size());
        const std::string_view line = listing.substr(from, end - from);
        if (!std::all_of(line.begin(), line.end(),
                         [](char c) { return (c >= 0x20 && c <= 0x7E) || c == '\r'; })) {
            return std::string(line);
        }
        from = end + 1;
    }
    return {};
}

} // namespace

CRadioExchange::CRadioExchange(IExchangeHost& host, RadioSettings& settings)
    : m_host(host), m_settings(settings) {}

int CRadioExchange::ValueLength(const std::string& text, int start) {
    if (start < 0 || static_cast<std::size_t>(start) >= text.size()) {
        return 0;
    }
    const std::size_t from = static_cast<std::size_t>(start);
    const std::size_t cr = text.find('\r', from);
    return static_cast<int>((cr == std::string::npos ? text.size() : cr) - from);
}

void CRadioExchange::OnPortRxChar(unsigned char byte) {
    // Commands sent and holds requested while this byte is handled are collected, so that the
    // watchdog is (re)armed exactly once per byte, with the right period, on the way out.
    struct IntakeScope {
        CRadioExchange& exchange;
        explicit IntakeScope(CRadioExchange& e) : exchange(e) {
            exchange.m_inIntake = true;
            exchange.m_intakeHoldMs = 0;
            exchange.m_intakeSent = false;
        }
        ~IntakeScope() { exchange.m_inIntake = false; }
        IntakeScope(const IntakeScope&) = delete;
        IntakeScope& operator=(const IntakeScope&) = delete;
    };
    {
        IntakeScope scope(*this);
        TakeByte(byte);
    }
    // Every byte that arrives while a command is outstanding shows that the radio is alive.
    if (m_awaitingAnswer) {
        m_host.SetWatchdog(kNoAnswerMs + m_intakeHoldMs);
        if (m_intakeSent) {
            m_host.ExpectAnswer(m_lastCommand, m_intakeHoldMs);
        }
    }
}

void CRadioExchange::TakeByte(unsigned char byte) {
    if (!m_reply.Append(byte)) {
        RejectReply();
        return;
    }
    RunReadSteps();

    // The read steps always run first: the echoes of the lower-case write commands never match
    // them. Then the running write sees the buffer as it now stands.
    RunWriteStep();
}

void CRadioExchange::RunReadSteps() {
    const std::string_view text = m_reply.text;
    // Line noise, or what a radio said before it restarted, may come first.
    if (text.ends_with(kStartText)) {
        // A radio restarting in the middle of a write has left the write's dialogue: the write
        // ends as it would without the answer it waits for, and no read starts beside it.
        if (m_write.Running()) {
            return;
        }
        if (!m_reading) {
            m_restarts = 0;
        } else if (++m_restarts > kMaxRestarts) {
            FailRead(ReadFailure::KeepsRestarting, m_lastCommandName, m_reply.text);
            return;
        }
        StartRead();
        return;
    }
    // A refused read command is final: the radio would refuse it again.
    if (m_reading && text.ends_with(kError)) {
        FailRead(ReadFailure::Refused, m_lastCommandName, m_reply.text);
        return;
    }
    // Every step below needs "OK\r\n" at the end; most bytes stop here. A recognised step
    // empties the buffer, so no later step of the same call could match: leave at once.
    // Register replies and the listing belong to a running read: one that comes late, after
    // the read ended, must not send the next command of a read nobody is waiting for.
    if (!m_reading || !EndsWithOk(text)) {
        return;
    }
    // Only the answer to the command sent last moves the read on: a stray reply of another
    // step would skip registers and report a read whose values were never read. Its echo may
    // come behind line noise; whatever is in front of it is not part of the reply.
    const std::size_t at = ReplyText::FindEcho(text, m_lastCommandName);
    if (at == std::string_view::npos) {
        return;
    }
    const std::string_view reply = text.substr(at);
    const std::span<const ReadStep> steps =
        m_radioFamily == FAMILY_ORV ? std::span<const ReadStep>(kOrvSteps) : kQxSteps;
    for (const ReadStep& step : steps) {
        if (step.echo != m_lastCommandName) {
            continue;
        }
        if (!ValueWellFormed(reply, step)) {
            FailRead(ReadFailure::Garbled, std::string(step.echo), std::string(reply));
            return;
        }
        if (step.store != nullptr) {
            step.store(m_settings, ValueText(reply, step.rule));
        }
        // Every register is a step, and the listing the last one.
        m_host.ReadProgress(static_cast<int>(&step - steps.data()) + 1,
                            static_cast<int>(steps.size()) + 1);
        AdvanceRead(step.next, step.holdMs);
        return;
    }
    if (m_lastCommandName == kListingEcho) {
        FinishRead(at);
    }
}

int CRadioExchange::ReadStepCount() const {
    const std::size_t registers =
        m_radioFamily == FAMILY_ORV ? std::size(kOrvSteps) : std::size(kQxSteps);
    return static_cast<int>(registers) + 1;
}

void CRadioExchange::StartRead() {
    m_reply.Reset();
    // Rows of an earlier radio must never be shown for this one, nor written into it.
    m_settings.channels.fill(ChannelEntry{});
    m_reading = true;
    m_host.ReadStarted(m_radioFamily);
    m_host.ReadProgress(0, ReadStepCount());
    SendCommand("ATS128?\r");
}

bool CRadioExchange::ReadAgain() {
    if (m_reading || m_write.Running()) {
        return false;
    }
    m_restarts = 0;
    StartRead();
    return true;
}

void CRadioExchange::AdvanceRead(const std::string& next, int holdMs) {
    m_reply.Reset();
    SendCommand(next);
    if (holdMs > 0) {
        RequestHold(holdMs);
    }
}

void CRadioExchange::FinishRead(std::size_t echoAt) {
    const unsigned char* listing = m_reply.bytes.data() + echoAt;
    const int count = m_reply.count - static_cast<int>(echoAt);
    if (!ParseChannelListing(listing, count)) {
        FailRead(ReadFailure::Garbled, std::string(kListingEcho),
                 FirstForeignLine(std::string_view(reinterpret_cast<const char*>(listing),
                                                   static_cast<std::size_t>(count))));
        return;
    }
    m_reply.Reset();
    m_reading = false;
    m_awaitingAnswer = false;
    m_host.SetWatchdog(0);
    m_host.ReadProgress(ReadStepCount(), ReadStepCount());
    m_host.ReadFinished(m_radioFamily);
}

void CRadioExchange::FailRead(ReadFailure why, const std::string& command, std::string reply) {
    m_reply.Reset();
    m_reading = false;
    m_restarts = 0;
    m_awaitingAnswer = false;
    m_host.SetWatchdog(0);
    m_host.ReadFailed(why, command, reply);
}

void CRadioExchange::RejectReply() {
    // Nothing of an oversized reply is parsed; the byte that did not fit is dropped as well.
    m_reply.Reset();
    m_host.ReplyRejected();
}

void CRadioExchange::SendCommand(const std::string& text) {
    m_lastCommandName = text.ends_with('\r') ? text.substr(0, text.size() - 1) : text;
    m_host.SendCommand(text);
    m_awaitingAnswer = true;
    m_lastCommand = text;
    if (m_inIntake) {
        m_intakeSent = true;
    } else {
        m_host.SetWatchdog(kNoAnswerMs);
        m_host.ExpectAnswer(text, 0);
    }
}

void CRadioExchange::RequestHold(int ms) {
    m_host.Hold(ms);
    if (m_inIntake) {
        m_intakeHoldMs += ms;
    } else if (m_awaitingAnswer) {
        m_host.SetWatchdog(kNoAnswerMs + ms);
        m_host.ExpectAnswer(m_lastCommand, ms);
    }
}

void CRadioExchange::OnWatchdogExpired() {
    if (!m_awaitingAnswer) {
        return;
    }
    m_awaitingAnswer = false;
    // Silence, or an answer cut short, after "at&w": the radio may have saved all the same.
    const bool saveSent = m_write.SaveSent();
    const RadioFamily family = m_write.Family();
    m_write.Reset();
    m_reading = false;
    if (saveSent) {
        m_host.SaveUnconfirmed(family);
    } else {
        m_host.NoAnswer();
    }
}

void CRadioExchange::Abandon() {
    m_awaitingAnswer = false;
    m_write.Reset();
    m_reading = false;
    m_restarts = 0;
    m_host.SetWatchdog(0);
    m_reply.Reset();
}
