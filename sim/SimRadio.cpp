#include "sim/SimRadio.h"

#include "sim/SimPresets.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// Longer command lines are refused as a whole rather than kept growing.
constexpr std::size_t kMaxLine = 128;
constexpr std::size_t kMaxAnswer = 16;

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string Trimmed(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] == ' ') {
        ++first;
    }
    while (last > first && text[last - 1] == ' ') {
        --last;
    }
    return std::string(text.substr(first, last - first));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return !prefix.empty() && text.size() >= prefix.size() &&
           Upper(text.substr(0, prefix.size())) == Upper(prefix);
}

// A plain decimal number of at most maxDigits digits; false for anything else.
bool ParseNumber(std::string_view text, std::size_t maxDigits, long long* value) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

void PadTo(std::string& line, std::size_t column) {
    if (line.size() < column) {
        line.append(column - line.size(), ' ');
    }
}

std::string ListingLine(int number, const SimChannel& c) {
    std::string line = std::to_string(number);
    PadTo(line, CSimRadio::kFrequencyColumn);
    line += SimFrequencyText(c.frequencyHz);
    PadTo(line, CSimRadio::kBandwidthColumn);
    line += SimBandwidthText(c.bandwidth);
    PadTo(line, CSimRadio::kDirectionColumn);
    line += SimDirectionText(c.direction);
    return line + "\r\n";
}

} // namespace

CSimRadio::CSimRadio(int family) : CSimRadio(DefaultSimState(family)) {}

CSimRadio::CSimRadio(const SimState& saved) {
    SetState(saved);
}

void CSimRadio::SetState(const SimState& state) {
    m_live = state;
    m_saved = state;
    Reset();
}

void CSimRadio::Reset() {
    m_live = m_saved;
    m_mode = Mode::Data;
    m_line.clear();
    m_lineOverflow = false;
    m_silent = false;
    m_vanished = false;
    m_replies = 0;
    m_heard = 0;
    const auto rate = m_saved.registers.find(102);
    m_baud = rate == m_saved.registers.end() ? 0 : SimBaudOfRateRegister(Family(), rate->second);
}

std::string CSimRadio::PowerOnReport() const {
    const auto rate = m_saved.registers.find(102);
    char report[32];
    std::snprintf(report, sizeof report, "CH%02dUHF%02d ORV-25W\r\n",
                  std::clamp(m_saved.currentChannel, 0, 99),
                  rate == m_saved.registers.end() ? 0 : std::clamp(rate->second, 0, 99));
    return report;
}

std::string CSimRadio::PowerOnAnnouncement() {
    Reset();
    std::string out = m_faults.powerOnNoise;
    if (m_faults.noiseOn.empty()) {
        out += m_faults.noise;
    }
    if (Family() == FAMILY_ORV) {
        out += PowerOnReport();
    } else {
        m_mode = Mode::Command;
        out += kStartAnswer;
    }
    return Spoiled(0, "", out);
}

int CSimRadio::Register(int reg) const {
    const auto it = m_live.registers.find(reg);
    return it == m_live.registers.end() ? -1 : it->second;
}

void CSimRadio::SetRegister(int reg, int value) {
    m_live.registers[reg] = value;
}

const SimChannel& CSimRadio::Channel(int n) const {
    return m_live.channels.at(static_cast<std::size_t>(n));
}

void CSimRadio::SetChannel(int n, const SimChannel& channel) {
    m_live.channels.at(static_cast<std::size_t>(n)) = channel;
}

int CSimRadio::CurrentChannel() const {
    return Family() == FAMILY_ORV ? m_live.currentChannel : Register(131);
}

bool CSimRadio::TakeSaved() {
    const bool saved = m_savedFlag;
    m_savedFlag = false;
    return saved;
}

std::string CSimRadio::Receive(std::string_view fromTool) {
    std::string out;
    for (char ch : fromTool) {
        if (m_silent) {
            break;
        }
        ++m_heard;
        HandleByte(ch, out);
    }
    return out;
}

void CSimRadio::HandleByte(char ch, std::string& out) {
    switch (m_mode) {
    case Mode::Data:
        HandleDataByte(ch, out);
        break;
    case Mode::Command:
        HandleCommandByte(ch, out);
        break;
    case Mode::AccessCode:
        HandleAccessCodeByte(ch, out);
        break;
    case Mode::Dialogue:
        HandleDialogueByte(ch, out);
        break;
    }
}

// In data mode everything would go over the air; only the escape sequence is listened for.
void CSimRadio::HandleDataByte(char ch, std::string& out) {
    m_line += ch;
    if (m_line.size() > 3) {
        m_line.erase(0, m_line.size() - 3);
    }
    if (m_line == "+++") {
        EscapeSequence(out);
    }
}

void CSimRadio::EscapeSequence(std::string& out) {
    m_line.clear();
    m_lineOverflow = false;
    if (!Admit("+++")) {
        return;
    }
    m_mode = Mode::Command;
    Reply(out, "+++", kStartAnswer);
}

void CSimRadio::HandleCommandByte(char ch, std::string& out) {
    if (ch == '\n') {
        return;
    }
    if (ch == '\r') {
        const std::string line = std::move(m_line);
        const bool overflow = m_lineOverflow;
        m_line.clear();
        m_lineOverflow = false;
        if (overflow) {
            if (Admit(line)) {
                Reply(out, line, kError);
            }
        } else if (!Trimmed(line).empty()) {
            HandleCommand(line, out);
        }
        return;
    }
    if (m_line.size() < kMaxLine) {
        m_line += ch;
    } else {
        m_lineOverflow = true;
        m_line.erase(0, 1);
        m_line += ch;
    }
    if (m_line.ends_with("+++")) {
        EscapeSequence(out);
    }
}

void CSimRadio::HandleCommand(const std::string& line, std::string& out) {
    if (!Admit(line)) {
        return;
    }
    const std::string echo = line + "\r\n";
    if (StartsWithNoCase(line, m_faults.errorOn)) {
        Reply(out, line, echo + kError);
        return;
    }
    if (StartsWithNoCase(line, m_faults.resetOn)) {
        // Restarted, it comes back in command mode, as after "+++".
        Reply(out, line, kStartAnswer);
        return;
    }
    const std::string command = Upper(Trimmed(line));
    if (command == "AT") {
        Reply(out, line, echo + kOk);
    } else if (command == "ATP0?") {
        std::string listing = Listing(echo, m_faults);
        if (m_faults.truncateListingAt >= 0 &&
            static_cast<std::size_t>(m_faults.truncateListingAt) < listing.size()) {
            listing.resize(static_cast<std::size_t>(m_faults.truncateListingAt));
        }
        Reply(out, line, listing);
    } else if (command == "ATP0=") {
        // The dialogue opens only with the access code, which is not echoed.
        m_mode = Mode::AccessCode;
        Reply(out, line, line + "\r");
    } else if (command == "AT&W") {
        m_saved = m_live;
        m_savedFlag = true;
        Reply(out, line, echo + kOk);
    } else if (command == "ATA" || command == "ATO") {
        m_mode = Mode::Data;
        Reply(out, line, echo + kOk);
    } else if (command.starts_with("AT&F")) {
        long long preset = 0;
        if (ParseNumber(command.substr(4), 2, &preset)) {
            HandlePreset(line, static_cast<int>(preset), out);
        } else {
            Reply(out, line, echo + kError);
        }
    } else if (command.starts_with("ATS")) {
        const std::size_t sign = command.find_first_of("?=");
        long long reg = 0;
        if (sign == std::string::npos || !ParseNumber(command.substr(3, sign - 3), 3, &reg)) {
            Reply(out, line, echo + kError);
        } else if (command[sign] == '?' && sign + 1 == command.size()) {
            HandleRegisterRead(line, static_cast<int>(reg), out);
        } else if (command[sign] == '=') {
            HandleRegisterWrite(line, static_cast<int>(reg), Trimmed(command.substr(sign + 1)),
                                out);
        } else {
            Reply(out, line, echo + kError);
        }
    } else {
        Reply(out, line, echo + kError);
    }
}

std::string CSimRadio::RegisterValueText(int reg) const {
    const int value = Register(reg);
    std::string text = std::to_string(value);
    const bool channelRegister = reg == 131 || reg == 132 || reg == 191 || reg == 192;
    if (Family() == FAMILY_QX && channelRegister) {
        // The module names the channel's frequency beside its number.
        const SimChannel* c = value >= 0 && value < SimState::kChannels ? &Channel(value) : nullptr;
        text += c && c->programmed ? "-" + SimFrequencyText(c->frequencyHz) + "MHz" : "-none";
    }
    return text;
}

void CSimRadio::HandleRegisterRead(const std::string& line, int reg, std::string& out) {
    const std::string echo = line + "\r\n";
    if (!SimRegisterRange(Family(), reg, nullptr, nullptr)) {
        Reply(out, line, echo + kError);
        return;
    }
    const bool noisy =
        !m_faults.valueNoise.empty() &&
        (m_faults.valueNoiseOn.empty() || StartsWithNoCase(line, m_faults.valueNoiseOn));
    Reply(out, line,
          echo + (noisy ? m_faults.valueNoise : std::string()) + RegisterValueText(reg) + "\r\n" +
              kOk);
}

// The line and value of a register write with the last digit of the value changed to the first
// of the next digits up (then down) that the register takes; false when none does.
bool CSimRadio::ChangeLastDigit(int reg, std::string* line, std::string* value) const {
    const std::size_t inLine = line->find_last_of("0123456789");
    const std::size_t inValue = value->find_last_of("0123456789");
    int lowest = 0;
    int highest = 0;
    if (inLine == std::string::npos || inValue == std::string::npos ||
        !SimRegisterRange(Family(), reg, &lowest, &highest)) {
        return false;
    }
    const int digit = (*value)[inValue] - '0';
    for (const int step : {1, 9, 2, 8, 3, 7, 4, 6, 5}) {
        std::string changed = *value;
        changed[inValue] = static_cast<char>('0' + (digit + step) % 10);
        long long number = 0;
        if (ParseNumber(changed, 6, &number) && number >= lowest && number <= highest &&
            (reg != 102 || SimBaudOfRateRegister(Family(), static_cast<int>(number)) != 0)) {
            (*line)[inLine] = changed[inValue];
            *value = changed;
            return true;
        }
    }
    return false;
}

void CSimRadio::HandleRegisterWrite(const std::string& sent, int reg, const std::string& sentValue,
                                    std::string& out) {
    std::string line = sent;
    std::string value = sentValue;
    if (Picks(SimStepFault::ChangeDigit) && ChangeLastDigit(reg, &line, &value)) {
        Strike();
    }
    const std::string echo = line + "\r\n";
    int lowest = 0;
    int highest = 0;
    long long number = 0;
    if (!SimRegisterRange(Family(), reg, &lowest, &highest) || !ParseNumber(value, 6, &number) ||
        number < lowest || number > highest) {
        Reply(out, line, echo + kError);
        return;
    }
    if (reg == 102 && SimBaudOfRateRegister(Family(), static_cast<int>(number)) == 0) {
        Reply(out, line, echo + kError); // a code without a serial rate
        return;
    }
    m_live.registers[reg] = static_cast<int>(number);
    Reply(out, line, echo + kOk);
}

void CSimRadio::HandlePreset(const std::string& line, int preset, std::string& out) {
    const std::string echo = line + "\r\n";
    std::map<int, int> kept;
    for (const int reg : m_faults.presetKeeps) {
        if (const auto it = m_live.registers.find(reg); it != m_live.registers.end()) {
            kept.insert(*it);
        }
    }
    if (!ApplySimPreset(Family(), preset, m_live.registers)) {
        Reply(out, line, echo + kError);
        return;
    }
    for (const auto& [reg, value] : kept) {
        m_live.registers[reg] = value;
    }
    Reply(out, line, echo + kOk);
}

void CSimRadio::HandleAccessCodeByte(char ch, std::string& out) {
    if (ch == kEsc) {
        LeaveDialogue();
        if (Admit("")) {
            Reply(out, "", kOk);
        }
        return;
    }
    m_line += ch;
    const std::string_view code = kAccessCode;
    if (m_line == code) {
        m_line.clear();
        if (!Admit("")) {
            return;
        }
        m_mode = Mode::Dialogue;
        m_prompt = Prompt::Channel;
        m_rowChannel = 0;
        m_row = Channel(m_rowChannel);
        SkipIfPicked();
        Reply(out, "", "\r\n" + PromptText(m_prompt));
    } else if (!code.starts_with(m_line)) {
        LeaveDialogue();
        if (Admit("")) {
            Reply(out, "", kError);
        }
    }
}

void CSimRadio::HandleDialogueByte(char ch, std::string& out) {
    if (ch == kEsc) {
        // Ends the dialogue from any prompt; a row not completed is dropped.
        LeaveDialogue();
        if (Admit("")) {
            Reply(out, "", kOk);
        }
        return;
    }
    if (ch == '\n') {
        return;
    }
    if (ch == '\r') {
        const std::string answer = std::move(m_line);
        m_line.clear();
        if (Admit("")) {
            HandleAnswer(answer, out);
        }
        return;
    }
    if (m_line.size() < kMaxAnswer) {
        m_line += ch;
    } else {
        m_lineOverflow = true;
    }
}

void CSimRadio::LeaveDialogue() {
    m_mode = Mode::Command;
    m_line.clear();
    m_lineOverflow = false;
}

void CSimRadio::HandleAnswer(const std::string& answer, std::string& out) {
    const std::string echo = answer + "\r\n";
    const std::string text = Trimmed(answer);
    const bool overflow = m_lineOverflow;
    m_lineOverflow = false;
    if (text.empty() && !overflow) {
        Reply(out, "", echo + PromptText(m_prompt)); // asks again
        return;
    }
    if (Picks(SimStepFault::RepeatPrompt)) {
        Strike();
        Reply(out, "", echo + PromptText(m_prompt)); // as if it had not heard
        return;
    }
    long long value = 0;
    const bool number = !overflow && ParseNumber(text, 10, &value);
    bool ok = false;
    switch (m_prompt) {
    case Prompt::Channel:
        ok = number && value < SimState::kChannels;
        m_rowChannel = static_cast<int>(value);
        // A field left out keeps what the channel held.
        if (ok) {
            m_row = Channel(m_rowChannel);
        }
        m_prompt = Prompt::Frequency;
        break;
    case Prompt::Frequency:
        ok = number &&
             (value == 0 || (value >= SimState::kLowestHz && value <= SimState::kHighestHz));
        m_row.frequencyHz = value;
        m_prompt = Prompt::Bandwidth;
        break;
    case Prompt::Bandwidth:
        ok = number && value <= 2;
        m_row.bandwidth = static_cast<int>(value);
        m_prompt = Prompt::Direction;
        break;
    case Prompt::Direction:
        ok = number && value <= 2;
        m_row.direction = static_cast<int>(value);
        if (ok) {
            StoreRow();
        }
        m_prompt = Prompt::Channel;
        break;
    }
    if (!ok) {
        LeaveDialogue();
        Reply(out, "", echo + kError);
        return;
    }
    SkipIfPicked();
    Reply(out, "", echo + PromptText(m_prompt));
}

void CSimRadio::StoreRow() {
    // Frequency 0 deletes the channel; a dropped channel keeps what it held.
    m_row.programmed = m_row.frequencyHz != 0;
    if (m_rowChannel >= 0 && m_rowChannel < SimState::kChannels &&
        m_rowChannel != m_faults.dropChannel) {
        SetChannel(m_rowChannel, m_row.programmed ? m_row : SimChannel{});
    }
}

void CSimRadio::SkipIfPicked() {
    if (!Picks(SimStepFault::SkipPrompt)) {
        return;
    }
    Strike();
    switch (m_prompt) {
    case Prompt::Channel: // the next row goes to the same channel again
        m_row = Channel(m_rowChannel);
        m_prompt = Prompt::Frequency;
        break;
    case Prompt::Frequency:
        m_prompt = Prompt::Bandwidth;
        break;
    case Prompt::Bandwidth:
        m_prompt = Prompt::Direction;
        break;
    case Prompt::Direction: // the row is done without it
        StoreRow();
        m_prompt = Prompt::Channel;
        break;
    }
}

std::string CSimRadio::PromptText(Prompt prompt) {
    switch (prompt) {
    case Prompt::Channel:
        return kChannelPrompt;
    case Prompt::Frequency:
        return kFrequencyPrompt;
    case Prompt::Bandwidth:
        return kBandwidthPrompt;
    case Prompt::Direction:
        break;
    }
    return kDirectionPrompt;
}

bool CSimRadio::Admit(std::string_view command) {
    if (m_silent) {
        return false;
    }
    if ((m_faults.silentAfter >= 0 && m_replies >= m_faults.silentAfter) ||
        StartsWithNoCase(command, m_faults.silentOn)) {
        m_silent = true;
        return false;
    }
    return true;
}

void CSimRadio::Reply(std::string& out, std::string_view command, const std::string& text) {
    if (!m_faults.noise.empty() &&
        (m_faults.noiseOn.empty() || StartsWithNoCase(command, m_faults.noiseOn))) {
        out += m_faults.noise;
    }
    ++m_replies;
    out += Spoiled(m_replies, command, text);
}

void CSimRadio::Strike() {
    m_stepFaultStruck = true;
    m_heardAtStrike = m_heard;
}

bool CSimRadio::Picks(SimStepFault kind) const {
    return m_faults.stepFault == kind && m_faults.stepFaultAt == m_replies + 1;
}

std::string CSimRadio::Spoiled(int number, std::string_view command, const std::string& text) {
    // A prompt left out or asked again and a changed digit act on what the radio does, where
    // it does it; the others on the reply's text.
    const SimStepFault fault = m_faults.stepFault;
    if (number != m_faults.stepFaultAt || fault == SimStepFault::None ||
        fault == SimStepFault::SkipPrompt || fault == SimStepFault::RepeatPrompt ||
        fault == SimStepFault::ChangeDigit) {
        return text;
    }
    Strike();
    switch (m_faults.stepFault) {
    case SimStepFault::None:
    case SimStepFault::SkipPrompt:
    case SimStepFault::RepeatPrompt:
    case SimStepFault::ChangeDigit:
        break;
    case SimStepFault::Error: {
        const std::string echo = std::string(command) + "\r\n";
        return (!command.empty() && text.starts_with(echo) ? echo : std::string()) + kError;
    }
    case SimStepFault::Silence:
        m_silent = true;
        return {};
    case SimStepFault::Noise:
        return std::string("\x11\xa7#~\xfe") + text;
    case SimStepFault::Cut:
        return text.substr(0, text.size() / 2);
    case SimStepFault::Overlong: {
        const std::size_t half = text.size() / 2;
        return text.substr(0, half) +
               std::string(static_cast<std::size_t>(std::max(m_faults.stepFill, 0)), '#') +
               text.substr(half);
    }
    case SimStepFault::Vanish:
        m_silent = true;
        m_vanished = true;
        return {};
    }
    return text;
}

std::string CSimRadio::ChannelListing() const {
    return Listing("ATP0?\r\n", SimFaults{});
}

std::string CSimRadio::Listing(const std::string& echo, const SimFaults& faults) const {
    std::string header = "Channel";
    PadTo(header, kFrequencyColumn);
    header += "Frequency(MHz)";
    PadTo(header, kBandwidthColumn);
    header += "Bandwidth";
    PadTo(header, kDirectionColumn);
    header += "Direction";

    std::string text = echo + header + "\r\n" + std::string(header.size(), '-') + "\r\n\r\n";
    const std::size_t firstLine = text.size();
    for (int n = 0; n < SimState::kChannels; ++n) {
        const SimChannel& c = Channel(n);
        if (c.programmed) {
            text += ListingLine(n, c);
        }
    }
    for (int i = 0; i < faults.extraListingLines; ++i) {
        text += ListingLine(SimState::kChannels + i,
                            SimChannel{true, SimState::kLowestHz + 12500LL * i, 1, 2});
    }
    if (!faults.listingNoise.empty()) {
        const std::size_t at = text.size() > firstLine ? firstLine + kDirectionColumn : text.size();
        text.insert(at, faults.listingNoise);
    }
    if (faults.listingEmptyLine) {
        text += "\r\n";
    }
    return text + kOk;
}
