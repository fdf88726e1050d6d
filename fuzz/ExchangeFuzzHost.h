#pragma once
// A host for the command exchange that stands where the serial port and the session stand: it
// feeds the input to the engine one byte at a time, as the port delivers them, and checks after
// every byte what must hold whatever the radio sends. A 0x00 byte (which the port never delivers)
// stands for the no-answer watchdog running out at that moment, when it is armed; time does not
// pass otherwise.

#include "exchange/RadioExchange.h"
#include "exchange/ReadFailureText.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class CFuzzHost : public IExchangeHost {
public:
    explicit CFuzzHost(RadioFamily family) : exchange(*this, settings) {
        exchange.SetFamily(family);
    }

    RadioSettings settings;
    CRadioExchange exchange;

    std::vector<std::string> commands; // every command handed to the port
    int watchdogMs = 0;                // 0: stopped
    bool readOpen = false;             // between ReadStarted and the read's end
    int readStarts = 0;
    int readEnds = 0; // ReadFinished, ReadFailed, or NoAnswer during a read
    int writeEnds = 0;
    std::size_t commandsAtWriteEnd = 0; // commands sent up to the end of the write
    int saved = 0;
    int broken = 0;      // writes stopped at a wrong prompt or echo
    int unconfirmed = 0; // saves whose answer was not understood
    int lastDone = 0;

    void Feed(const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == 0x00) {
                if (watchdogMs > 0) {
                    watchdogMs = 0;
                    exchange.OnWatchdogExpired();
                }
            } else {
                exchange.OnPortRxChar(data[i]);
            }
            CheckAlways();
        }
    }

    void SendCommand(const std::string& text) override {
        FUZZ_CHECK(!text.empty());
        if (Tracing()) {
            std::fprintf(stderr, "send %zu: %s\n", commands.size(), Visible(text).c_str());
        }
        commands.push_back(text);
    }
    void Hold(int ms) override { FUZZ_CHECK(ms > 0); }
    void ReadStarted(RadioFamily family) override {
        FUZZ_CHECK(family == exchange.Family());
        readOpen = true;
        ++readStarts;
        lastDone = 0;
    }
    void ReadProgress(int done, int total) override {
        FUZZ_CHECK(readOpen);
        FUZZ_CHECK(done >= 0 && done <= total);
        FUZZ_CHECK(done >= lastDone);
        lastDone = done;
    }
    void ReadFinished(RadioFamily family) override {
        FUZZ_CHECK(family == exchange.Family());
        EndRead();
    }
    void ReadFailed(ReadFailure why, const std::string& command,
                    const std::string& reply) override {
        FUZZ_CHECK(!command.empty());
        FUZZ_CHECK(!ReadFailureText(why, command, reply, true).empty());
        EndRead();
    }
    void SetWatchdog(int ms) override {
        FUZZ_CHECK(ms >= 0);
        watchdogMs = ms;
    }
    void NoAnswer() override {
        if (readOpen) {
            EndRead();
        } else {
            EndWrite();
        }
    }
    void ReplyRejected() override {}
    void WriteFinished(RadioFamily family) override {
        FUZZ_CHECK(family == exchange.Family());
        ++saved;
        EndWrite();
    }
    void WriteFailed(RadioFamily family) override {
        FUZZ_CHECK(family == exchange.Family());
        EndWrite();
    }
    void WriteBroken(RadioFamily family, const WriteFault& fault) override {
        FUZZ_CHECK(family == exchange.Family());
        // What the message quotes is printable, whatever the radio sent.
        for (const std::string* text : {&fault.expected, &fault.received}) {
            FUZZ_CHECK(!text->empty());
            FUZZ_CHECK(std::all_of(text->begin(), text->end(),
                                   [](char c) { return c >= 0x20 && c <= 0x7E; }));
        }
        ++broken;
        EndWrite();
    }
    void SaveUnconfirmed(RadioFamily family) override {
        FUZZ_CHECK(family == exchange.Family());
        ++unconfirmed;
        EndWrite();
    }

private:
    // ORVCONF_FUZZ_TRACE=1 lists the commands sent when a kept input is run again.
    static bool Tracing() {
        static const bool on = std::getenv("ORVCONF_FUZZ_TRACE") != nullptr;
        return on;
    }
    static std::string Visible(const std::string& text) {
        std::string out;
        for (const char c : text) {
            if (c == '\r') {
                out += "\\r";
            } else if (c == 0x1B) {
                out += "<ESC>";
            } else {
                out += c;
            }
        }
        return out;
    }

    void EndRead() {
        FUZZ_CHECK(readOpen);
        readOpen = false;
        ++readEnds;
        FUZZ_CHECK(!exchange.Reading());
    }
    void EndWrite() {
        ++writeEnds;
        FUZZ_CHECK(writeEnds == 1);
        commandsAtWriteEnd = commands.size();
        FUZZ_CHECK(!exchange.Write().Running());
    }

    void CheckAlways() {
        const ReplyBuffer& reply = exchange.Buffer();
        FUZZ_CHECK(reply.count >= 0 && reply.count <= ReplyBuffer::kCapacity);
        FUZZ_CHECK(reply.text.size() == static_cast<std::size_t>(reply.count));
        // Checked byte by byte as they come, so the last one is enough.
        FUZZ_CHECK(reply.count == 0 || static_cast<unsigned char>(reply.text.back()) ==
                                           reply.bytes[static_cast<std::size_t>(reply.count) - 1]);
        // Whatever is awaited is watched: an answer that never comes must end in "no answer".
        if (exchange.AwaitingAnswer()) {
            FUZZ_CHECK(watchdogMs > 0);
        }
        // A read or a write in progress always waits for the radio; otherwise it could hang.
        if (exchange.Reading() || exchange.Write().Running()) {
            FUZZ_CHECK(exchange.AwaitingAnswer());
        }
        FUZZ_CHECK(exchange.Reading() == readOpen);
        const int index = exchange.Write().ProgramIndex();
        FUZZ_CHECK(index >= 0 && index <= RadioSettings::kQxProgramRows);
    }
};
