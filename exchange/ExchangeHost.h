#pragma once
// What the command exchange needs from the outside world. The main window implements it for the
// GUI, the command-line client for scripted reads, and the tests with recorders.

#include "exchange/RadioSettings.h"

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
    // right after this call returns). The QX host hides its connection page and shows the
    // reading page here.
    virtual void ReadStarted(int family) = 0;

    // The channel listing has been parsed: the read of this family is complete.
    virtual void ReadFinished(int family) = 0;

    // (Re)starts the no-answer watchdog with a period of ms milliseconds (nominal); 0 stops it.
    // When it runs out the host calls CRadioExchange::OnWatchdogExpired().
    virtual void SetWatchdog(int ms) = 0;

    // A command was written and the radio has been silent for the watchdog period.
    virtual void NoAnswer() = 0;

    // A reply grew past the reply buffer's capacity and was dropped whole.
    virtual void ReplyRejected() = 0;

    // The radio confirmed "at&w": everything of the write of this family is saved in it.
    virtual void WriteFinished(RadioFamily family) = 0;

    // The radio answered "ERROR" during the write of this family; the write has stopped and
    // nothing more is sent.
    virtual void WriteFailed(RadioFamily family) = 0;
};
