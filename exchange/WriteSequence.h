#pragma once
// The progress of one write: the channel-programming dialogue, then the register chain of the
// family, then the save. Fed the reply buffer after every received byte; each recognised answer
// of the radio yields at most one command. Every answer is checked: a prompt must be the one the
// dialogue is due to ask, and the radio's echo must be what was sent, value included; anything
// else ends the write there. The exchange carries out what a step decides (empties the buffer,
// sends, reports the end), so the sequence itself touches no port and no host.

#include "exchange/RadioSettings.h"
#include "exchange/WriteFault.h"
#include "exchange/WritePlan.h"

#include <span>
#include <string>
#include <string_view>

enum class WritePhase {
    Idle,        // no write running
    AwaitEcho,   // "ATP0=\r" sent: waiting for its echo to send the access code
    Programming, // answering the channel prompts, row programIndex
    AwaitClose,  // ESC sent after the last row: waiting for "\r\nOK\r\n"
    Registers,   // the preset, a register write or the save sent (chain row ChainRow())
};

enum class WriteEnd {
    None,
    Saved,           // the radio confirmed the save
    Failed,          // the radio answered "ERROR"
    Broken,          // another prompt than the one due, or another echo than was sent
    SaveUnconfirmed, // the save went out, its answer was not understood
};

// What one step decided.
struct WriteAction {
    bool taken = false;  // the radio's answer was recognised: the reply buffer is emptied
    std::string command; // sent next; empty: nothing (ESC after a broken dialogue)
    WriteEnd end = WriteEnd::None;
    WriteFault fault{}; // why, when Broken
};

class CWriteSequence {
public:
    static constexpr const char* kOpenDialogue = "ATP0=\r";
    static constexpr const char* kAccessCode = "mord%ax";
    static constexpr char kEsc = 0x1B;
    static constexpr const char* kChannelPrompt =
        "Enter Channel Number (0 to 63)                          : ";
    static constexpr const char* kFrequencyPrompt =
        "Enter Frequency?(410000000 to 480000000Hz, 0 to delete) : ";
    static constexpr const char* kBandwidthPrompt =
        "Enter Bandwidth (0-6.25kHz, 1-12.5kHz, 2-25kHz)         : ";
    static constexpr const char* kDirectionPrompt =
        "Enter Channel Direction (0-Rx, 1-Tx, 2-Rx&Tx)           : ";
    // What ends the dialogue after ESC, and every register write's answer.
    static constexpr const char* kDialogueEnd = "OK";

    // Begins a write of the plan's family; the caller sends kOpenDialogue. The plan must have
    // passed CheckWritePlan.
    void Start(const OrvWritePlan& plan);
    void Start(const QxWritePlan& plan);
    // Back to idle with programIndex 0.
    void Reset();

    // One step on the buffer as it stands after a received byte.
    WriteAction OrvWriteStep(const unsigned char* bytes, int count);
    WriteAction QxWriteStep(const unsigned char* bytes, int count);

    bool Running() const { return m_phase != WritePhase::Idle; }
    bool OrvWriting() const { return Running() && m_family == FAMILY_ORV; }
    bool QxWriting() const { return Running() && m_family == FAMILY_QX; }
    RadioFamily Family() const { return m_family; }
    WritePhase Phase() const { return m_phase; }
    int ProgramIndex() const { return m_programIndex; }
    int ChainRow() const { return m_chainRow; }
    // "at&w" has gone out and its answer is awaited.
    bool SaveSent() const { return m_phase == WritePhase::Registers && m_saveSent; }

    // One row of a register chain: the command sent; the radio's answer to it must carry the
    // command as its echo, once "\r\nOK\r\n" has ended the answer.
    template <class Plan> struct WriteStep {
        std::string (*command)(const Plan&);
        bool (*wanted)(const Plan&); // nullptr: always written
    };

private:
    // The prompts of the dialogue, in the order the radio asks them for each row.
    enum class Prompt { Channel, Frequency, Bandwidth, Direction };

    template <class Plan>
    WriteAction Step(const unsigned char* bytes, int count, const Plan& plan,
                     std::span<const WriteStep<Plan>> chain);
    WriteAction AwaitEcho(std::string_view text);
    WriteAction Answer(std::string_view text, std::span<const ChannelEntry> rows);
    template <class Plan>
    WriteAction AwaitClose(std::string_view text, const Plan& plan,
                           std::span<const WriteStep<Plan>> chain);
    template <class Plan>
    WriteAction Advance(std::string_view text, const Plan& plan,
                        std::span<const WriteStep<Plan>> chain);
    template <class Plan>
    WriteAction SendFrom(std::size_t row, const Plan& plan, std::span<const WriteStep<Plan>> chain);
    // The answer sent and what must come next: its echo, then prompt.
    WriteAction Type(const std::string& answer, Prompt next);
    // Ends the write: ESC when the radio may still be in the dialogue, nothing otherwise.
    WriteAction Break(WriteFault::Kind kind, std::string expected, std::string received,
                      bool dialogueOpen);

    RadioFamily m_family = FAMILY_QX;
    WritePhase m_phase = WritePhase::Idle;
    int m_programIndex = 0;
    int m_chainRow = 0;
    bool m_saveSent = false;
    Prompt m_due = Prompt::Channel; // the prompt the dialogue asks next
    std::string m_echo;             // what the radio must echo in front of it
    std::string m_sent;             // what was sent last, as a message quotes it
    OrvWritePlan m_orv;
    QxWritePlan m_qx;
};
