#pragma once
// What the command exchange needs from the outside world. The radio session implements it over
// a serial port (for the window and the command line alike), the tests with recorders.

#include "exchange/RadioSettings.h"
#include "exchange/ReadFailure.h"
#include "exchange/WriteFault.h"

#include <string>

class IExchangeHost {
public:
    virtual ~IExchangeHost() = default;

    // Hands a command to the serial port (written after the current byte has been handled).
    virtual void SendCommand(const std::string& text) = 0;

    // For ms milliseconds (nominal, before any time scaling) no received byte is handled and no
    // command is written. Must not block the calling thread.
    virtual void Hold(int ms) = 0;

    // The start answer was recognised and the read of this family begins ("ATS128?\r" is sent
    // right after this call returns).
    virtual void ReadStarted(RadioFamily family) = 0;

    // The read has come done steps of total (0 at the start answer, total with the listing).
    virtual void ReadProgress(int /*done*/, int /*total*/) {}
    // The channel listing has been parsed: the read of this family is complete, and the settings
    // the exchange was given hold what the radio does.
    virtual void ReadFinished(RadioFamily family) = 0;

    // (Re)starts the no-answer watchdog with a period of ms milliseconds (nominal); 0 stops it,
    // and the answer bound with it. When it runs out the host calls
    // CRadioExchange::OnWatchdogExpired().
    virtual void SetWatchdog(int ms) = 0;

    // A command was handed over and goes out once holdMs (nominal) have passed. However many
    // bytes keep arriving, its whole answer must be in within AnswerBounds::AnswerBoundMs for
    // this command at the line rate; past it the host calls CRadioExchange::OnWatchdogExpired()
    // as for silence. A host without a clock may ignore it.
    virtual void ExpectAnswer(const std::string& /*command*/, int /*holdMs*/) {}

    // A command was written and the radio has been silent for the watchdog period.
    virtual void NoAnswer() = 0;

    // A reply grew past the reply buffer's capacity and was dropped whole.
    virtual void ReplyRejected() = 0;

    // The radio confirmed "at&w": everything of the write of this family is saved in it.
    virtual void WriteFinished(RadioFamily family) = 0;

    // The radio answered "ERROR" during the write of this family; the write has stopped and
    // nothing more is sent.
    virtual void WriteFailed(RadioFamily family) = 0;
    // The radio asked for another prompt than the one due, or echoed other than was sent:
    // the write stopped there (ESC sent if the channel dialogue was open).
    virtual void WriteBroken(RadioFamily family, const WriteFault& fault) = 0;
    // "at&w" went out but its answer was not understood: the radio may have saved.
    virtual void SaveUnconfirmed(RadioFamily family) = 0;
    // The read ended without its settings: command (without "\r", e.g. "ATS132?") is the read
    // command whose answer was garbled or refused, or that the radio last restarted on; reply is
    // what came (for a garbled listing its first line that does not belong). Nothing is
    // outstanding afterwards.
    virtual void ReadFailed(ReadFailure why, const std::string& command,
                            const std::string& reply) = 0;
};
