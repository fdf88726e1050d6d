#pragma once
// A simulated radio of either family, as it answers on its serial line: the escape sequence
// "+++", S-register reads and writes, the channel listing "ATP0?", the channel-programming
// dialogue "ATP0=", factory presets "AT&Fnn", the save "at&w" and "ata". Bytes in, bytes out,
// no timing: pacing and serial rates are the business of whoever carries the bytes.
//
// Register writes and the channel dialogue change the working settings at once, so a write
// followed by a read gives back what was written; "at&w" saves them, and switching the radio
// off and on (Reset, PowerOnAnnouncement) goes back to what was saved last. A new serial rate
// (S102) therefore takes effect at the next power-on.

#include "sim/SimFaults.h"
#include "sim/SimState.h"

#include <string>
#include <string_view>

class CSimRadio {
public:
    static constexpr const char* kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
    static constexpr const char* kAccessCode = "mord%ax";
    static constexpr const char* kChannelPrompt =
        "Enter Channel Number (0 to 63)                          : ";
    static constexpr const char* kFrequencyPrompt =
        "Enter Frequency?(410000000 to 480000000Hz, 0 to delete) : ";
    static constexpr const char* kBandwidthPrompt =
        "Enter Bandwidth (0-6.25kHz, 1-12.5kHz, 2-25kHz)         : ";
    static constexpr const char* kDirectionPrompt =
        "Enter Channel Direction (0-Rx, 1-Tx, 2-Rx&Tx)           : ";
    static constexpr const char* kOk = "\r\nOK\r\n";
    static constexpr const char* kError = "\r\nERROR\r\n";
    static constexpr char kEsc = 0x1B;

    // Columns of a channel-listing line.
    static constexpr int kFrequencyColumn = 20;
    static constexpr int kBandwidthColumn = 38;
    static constexpr int kDirectionColumn = 51;

    // A radio of the family in its factory state, switched on, not in command mode.
    explicit CSimRadio(int family);
    // A radio that has state saved (the state must pass ValidateSimState).
    explicit CSimRadio(const SimState& saved);

    int Family() const { return m_live.family; }

    // Consumes bytes the tool wrote and returns what the radio answers to them.
    std::string Receive(std::string_view fromTool);

    // Switches the radio off and on and returns what it says then. ORV: its 19-character
    // power-on report (current channel and port-rate code), in data mode afterwards. QX: the
    // start answer of a module powered on with its CONFIG key held, in command mode afterwards.
    std::string PowerOnAnnouncement();

    // Switches the radio off and on without looking at what it says: back to the saved
    // settings, out of command mode, silence lifted.
    void Reset();

    bool InCommandMode() const { return m_mode != Mode::Data; }
    bool InChannelDialogue() const { return m_mode == Mode::Dialogue; }

    // Working settings. Register returns -1 for a register the family does not have.
    int Register(int reg) const;
    void SetRegister(int reg, int value);
    const SimChannel& Channel(int n) const;
    void SetChannel(int n, const SimChannel& channel);
    int CurrentChannel() const; // ORV: slot 1..16 of the power-on report; QX: S131
    // The radio's own serial rate, as set by S102 when it was last switched on.
    int SerialRate() const { return m_baud; }

    const SimState& State() const { return m_live; }
    const SimState& SavedState() const { return m_saved; }
    // Replaces both the working and the saved settings (must pass ValidateSimState).
    void SetState(const SimState& state);
    // True once after every "at&w": the saved settings have changed.
    bool TakeSaved();

    void SetFaults(const SimFaults& faults) {
        m_faults = faults;
        m_stepFaultStruck = false;
        m_heardAtStrike = 0;
    }
    const SimFaults& Faults() const { return m_faults; }
    bool IsSilent() const { return m_silent; }
    int RepliesSent() const { return m_replies; }
    // True once a vanish fault has struck: whoever carries the line closes it now.
    bool Vanished() const { return m_vanished; }
    // True once the step fault has spoiled its reply (since the last SetFaults).
    bool StepFaultStruck() const { return m_stepFaultStruck; }
    // Bytes the radio has heard since the step fault struck (until it is switched off).
    int HeardSinceStrike() const { return m_stepFaultStruck ? m_heard - m_heardAtStrike : 0; }

    // The reply to "ATP0?" as the working channel table gives it, without faults.
    std::string ChannelListing() const;
    // The power-on report of an ORV radio with the saved settings (no power cycle).
    std::string PowerOnReport() const;

private:
    enum class Mode { Data, Command, AccessCode, Dialogue };
    enum class Prompt { Channel, Frequency, Bandwidth, Direction };

    void HandleByte(char ch, std::string& out);
    void HandleDataByte(char ch, std::string& out);
    void HandleCommandByte(char ch, std::string& out);
    void HandleAccessCodeByte(char ch, std::string& out);
    void HandleDialogueByte(char ch, std::string& out);
    void HandleCommand(const std::string& line, std::string& out);
    void HandleAnswer(const std::string& answer, std::string& out);
    void HandleRegisterRead(const std::string& line, int reg, std::string& out);
    void HandleRegisterWrite(const std::string& sent, int reg, const std::string& sentValue,
                             std::string& out);
    bool ChangeLastDigit(int reg, std::string* line, std::string* value) const;
    // The row of the dialogue is complete: the channel takes it.
    void StoreRow();
    // Leaves out the prompt due next when the step fault picks the reply that would ask it.
    void SkipIfPicked();
    // Whether the step fault is of this kind and picks the reply about to go out.
    bool Picks(SimStepFault kind) const;
    void Strike();
    void HandlePreset(const std::string& line, int preset, std::string& out);
    void EscapeSequence(std::string& out);
    void LeaveDialogue();

    // Whether a complete command may be answered at all (silence faults).
    bool Admit(std::string_view command);
    void Reply(std::string& out, std::string_view command, const std::string& text);
    // The reply numbered number as the step fault leaves it (unchanged when not picked).
    std::string Spoiled(int number, std::string_view command, const std::string& text);
    static std::string PromptText(Prompt prompt);
    std::string RegisterValueText(int reg) const;
    std::string Listing(const std::string& echo, const SimFaults& faults) const;

    SimState m_live;
    SimState m_saved;
    SimFaults m_faults;
    Mode m_mode = Mode::Data;
    Prompt m_prompt = Prompt::Channel;
    std::string m_line;
    bool m_lineOverflow = false;
    SimChannel m_row;
    int m_rowChannel = 0;
    int m_baud = 0;
    bool m_savedFlag = false;
    bool m_silent = false;
    int m_replies = 0;
    bool m_vanished = false;
    bool m_stepFaultStruck = false;
    int m_heard = 0; // bytes heard since the last power-on
    int m_heardAtStrike = 0;
};
