#pragma once
// The receive side of the radio command exchange: byte intake, reply recognition, the read
// sequences of both families, the channel-listing parser and the end of a read.
//
// There is no explicit state machine: the position in a sequence is given by the reply that
// arrives (its echo at the start, behind any line noise, and "OK\r\n" at the end), and
// recognising a reply sends the next command.

#include "exchange/ExchangeHost.h"
#include "exchange/RadioSettings.h"
#include "exchange/ReplyBuffer.h"
#include "exchange/WritePlan.h"
#include "exchange/WriteSequence.h"

#include <string>

class CRadioExchange {
public:
    // The radio's message after "+++" (or after a QX power-on with CONFIG held).
    static constexpr const char* kStartAnswer = "\r\nNO CARRIER\r\nOK\r\n";
    // A command written and then this long without a received byte: "no answer".
    static constexpr int kNoAnswerMs = 10000;
    static constexpr int kOrvListingHoldMs = 12000;
    static constexpr int kQxListingHoldMs = 2000;
    // Start answers taken in the middle of a read before it is given up: a radio that resets
    // on one of its commands, or in a brown-out loop, would otherwise be read forever.
    static constexpr int kMaxRestarts = 2;

    CRadioExchange(IExchangeHost& host, RadioSettings& settings);

    void SetFamily(RadioFamily family) { m_radioFamily = family; }
    RadioFamily Family() const { return m_radioFamily; }

    // One received byte (never 0x00 from the port, but any value is handled).
    void OnPortRxChar(unsigned char byte);

    // Sends a command through the host and starts the no-answer watchdog.
    void SendCommand(const std::string& text);

    // Called by the host when the watchdog period ran out.
    void OnWatchdogExpired();

    // Forgets any outstanding command (stops the watchdog) and empties the reply buffer.
    // Used when a connection is closed or abandoned.
    void Abandon();

    ReplyBuffer& Buffer() { return m_reply; }
    const ReplyBuffer& Buffer() const { return m_reply; }
    RadioSettings& Settings() { return m_settings; }

    // Number of characters from start up to, not including, the first "\r" or the end of text.
    static int ValueLength(const std::string& text, int start);

    // Fills m_settings.channels from a channel listing (the whole reply to "ATP0?\r"). A listing
    // with a byte outside printable ASCII (line ends aside) is corrupt: false, nothing changed.
    bool ParseChannelListing(const unsigned char* bytes, int count);

    // True while a command has been sent and its answer is still being waited for.
    bool AwaitingAnswer() const { return m_awaitingAnswer; }
    // True from the start answer until the read finishes, fails or is abandoned.
    bool Reading() const { return m_reading; }
    // Reads the radio again from the command mode it is still in (after a saved write): the
    // family's read sequence from its first command, as after the start answer. False, with
    // nothing sent, while a read or a write runs.
    bool ReadAgain();

    // Starts writing the plan into the radio: its rows become the program table of the settings
    // and "ATP0=\r" opens the channel-programming dialogue; from then on the radio's answers
    // drive the write, which ends in WriteFinished, WriteFailed, WriteBroken, SaveUnconfirmed or
    // NoAnswer. Returns false, and sends nothing, while a write runs, when the plan is for the
    // other family, or when CheckWritePlan finds a problem in it.
    bool StartWrite(const OrvWritePlan& plan);
    bool StartWrite(const QxWritePlan& plan);
    // The running write (idle when none): orvWriting, qxWriting and programIndex live here.
    const CWriteSequence& Write() const { return m_write; }

private:
    void TakeByte(unsigned char byte);
    void RunReadSteps();
    void StartRead();
    // The registers of this family's read and its listing.
    int ReadStepCount() const;
    // A register reply was taken: empties the buffer, sends the next command, holds if asked.
    void AdvanceRead(const std::string& next, int holdMs);
    // The listing is complete; its echo is at echoAt of the reply buffer.
    void FinishRead(std::size_t echoAt);
    // Ends the read without its settings and tells the host why (reply: what came).
    void FailRead(ReadFailure why, const std::string& command, std::string reply);
    void RejectReply();
    // Asks the host for a hold; a command sent in the same byte's handling is watched for the
    // hold's length on top of kNoAnswerMs, since it is written only when the hold ends.
    void RequestHold(int ms);
    // Offers the buffer to the running write and carries out what it decides.
    void RunWriteStep();
    template <class Plan> bool BeginWrite(const Plan& plan, RadioFamily family);

    IExchangeHost& m_host;
    RadioSettings& m_settings;
    ReplyBuffer m_reply;
    RadioFamily m_radioFamily = FAMILY_QX;
    bool m_awaitingAnswer = false;
    bool m_inIntake = false; // inside OnPortRxChar: the watchdog is armed once, on the way out
    int m_intakeHoldMs = 0;  // holds requested while handling the current byte
    CWriteSequence m_write;
    bool m_reading = false;
    int m_restarts = 0;            // start answers taken while m_reading
    std::string m_lastCommandName; // the last command sent, without its "\r"

    // The command whose answer is awaited, and whether it was sent while handling the current
    // byte (its answer bound is then set on the way out, with the holds requested after it).
    std::string m_lastCommand;
    bool m_intakeSent = false;
};
