#pragma once
// The progress of one write: the channel-programming dialogue, then the register chain of the
// family, then the save. Fed the reply buffer after every received byte; each recognised answer
// of the radio yields at most one command. The exchange carries out what a step decides (empties
// the buffer, sends, reports the end), so the sequence itself touches no port and no host.

#include "exchange/RadioSettings.h"
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

enum class WriteEnd { None, Saved, Failed };

// What one step decided.
struct WriteAction {
    bool taken = false;  // the radio's answer was recognised: the reply buffer is emptied
    std::string command; // sent next; empty: nothing
    WriteEnd end = WriteEnd::None;
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

    // One row of a register chain: the command sent and how the radio's answer to it is
    // recognised (its echo), once "\r\nOK\r\n" has ended the answer.
    enum class EchoTest {
        Head,     // the first characters equal key
        Register, // the characters at 3, 4 and 5 equal key ("ats105=..." -> "105")
    };
    template <class Plan> struct WriteStep {
        EchoTest test;
        std::string_view key;
        std::string (*command)(const Plan&);
        bool (*wanted)(const Plan&); // nullptr: always written
    };

private:
    template <class Plan>
    WriteAction Step(const unsigned char* bytes, int count, const Plan& plan,
                     std::span<const WriteStep<Plan>> chain);
    WriteAction Answer(std::string_view text, std::span<const ChannelEntry> rows);
    template <class Plan>
    WriteAction Advance(std::string_view text, const Plan& plan,
                        std::span<const WriteStep<Plan>> chain);
    template <class Plan>
    WriteAction SendFrom(std::size_t row, const Plan& plan, std::span<const WriteStep<Plan>> chain);

    RadioFamily m_family = FAMILY_QX;
    WritePhase m_phase = WritePhase::Idle;
    int m_programIndex = 0;
    int m_chainRow = 0;
    OrvWritePlan m_orv;
    QxWritePlan m_qx;
};
