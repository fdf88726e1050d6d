#pragma once
// Carries bytes between the real command exchange and the in-process simulated radio as the
// serial port would: one byte per intake call, a command written after the byte that triggered
// it, unread input dropped before each write. No time passes, so holds and the watchdog are
// ignored. Optionally the radio's answer to one command is replaced by "ERROR", or the line goes
// dead after a number of commands.

#include "exchange/RadioExchange.h"
#include "exchange/WritePlan.h"
#include "sim/SimRadio.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

class CSimLink : public IExchangeHost {
public:
    CSimLink(CSimRadio& radio, int family) : exchange(*this, settings), m_radio(radio) {
        exchange.SetFamily(static_cast<RadioFamily>(family));
    }

    RadioSettings settings;
    CRadioExchange exchange;
    std::vector<std::string> commands;
    int readsFinished = 0;
    int rejected = 0;
    int saved = 0;
    int failed = 0;                 // writes refused with "ERROR"
    std::vector<WriteFault> broken; // writes stopped at a wrong prompt or echo
    int unconfirmed = 0;            // saves whose answer was not understood
    int noAnswers = 0;
    std::vector<std::pair<ReadFailure, std::string>> failures; // reads that ended without settings
    std::size_t errorAt = 0;   // 1-based number of the command answered with "ERROR"; 0: none
    std::size_t deadAfter = 0; // commands after which nothing more is carried; 0: never

    // Delivers bytes and whatever the radio answers to the commands they trigger.
    void Deliver(const std::string& bytes) {
        std::deque<char> input(bytes.begin(), bytes.end());
        for (int guard = 0; !input.empty() && guard < 1000000; ++guard) {
            const auto byte = static_cast<unsigned char>(input.front());
            input.pop_front();
            m_pending.clear();
            exchange.OnPortRxChar(byte);
            if (!m_pending.empty()) {
                const std::string answer = Carry();
                input.assign(answer.begin(), answer.end());
            }
        }
    }
    void Escape() { Deliver(m_radio.Receive("+++")); }

    template <class Plan> bool Write(const Plan& plan) {
        m_pending.clear();
        if (!exchange.StartWrite(plan)) {
            return false;
        }
        Deliver(Carry());
        return true;
    }

    void SendCommand(const std::string& text) override {
        m_pending = text;
        commands.push_back(text);
    }
    void Hold(int) override {}
    void ReadStarted(RadioFamily) override {}
    void ReadFinished(RadioFamily) override { ++readsFinished; }
    void SetWatchdog(int) override {}
    void NoAnswer() override { ++noAnswers; }
    void ReplyRejected() override { ++rejected; }
    void WriteFinished(RadioFamily) override { ++saved; }
    void WriteFailed(RadioFamily) override { ++failed; }
    void WriteBroken(RadioFamily, const WriteFault& fault) override { broken.push_back(fault); }
    void SaveUnconfirmed(RadioFamily) override { ++unconfirmed; }
    void ReadFailed(ReadFailure why, const std::string& command, const std::string&) override {
        failures.emplace_back(why, command);
    }

private:
    std::string Carry() {
        if (deadAfter != 0 && commands.size() > deadAfter) {
            return {};
        }
        if (errorAt != 0 && commands.size() == errorAt) {
            return m_pending + "\r\n\r\nERROR\r\n";
        }
        return m_radio.Receive(m_pending);
    }

    CSimRadio& m_radio;
    std::string m_pending;
};

// What a write of plan sends to a radio in its factory state, every command joined, from the
// dialogue's start to the save; empty when the write was not saved.
template <class Plan> std::string WireOfWrite(int family, const Plan& plan) {
    CSimRadio radio(family);
    CSimLink link(radio, family);
    link.Escape(); // the start answer: the link reads the radio first
    link.commands.clear();
    std::string wire;
    if (link.Write(plan) && link.saved == 1) {
        for (const std::string& command : link.commands) {
            wire += command;
        }
    }
    return wire;
}

// A QX write that uses every register and code: 64 rows, channel number = row, every fourth one
// deleted. portRateIndex 7 keeps the radio at 9600, where a second attempt finds it again.
inline QxWritePlan SampleQxPlan(int portRateIndex) {
    QxWritePlan plan;
    for (int n = 0; n < RadioSettings::kQxProgramRows; ++n) {
        const bool deleted = n % 4 == 3;
        plan.program[static_cast<std::size_t>(n)] = {
            std::to_string(n), deleted ? "0" : std::to_string(480000000 - 50LL * 331 * n),
            deleted ? "0" : std::to_string(n % 3), deleted ? "0" : std::to_string((n / 3) % 3)};
    }
    plan.protocolIndex = 2;
    plan.workModeIndex = 1;
    plan.modulationIndex = 0;
    plan.airRateIndex = 5;
    plan.bandwidthIndex = 2;
    plan.unitAddress = 201;
    plan.mainTxIndex = 4;
    plan.mainRxIndex = 5;
    plan.repeaterTxIndex = 62;
    plan.repeaterRxIndex = 63;
    plan.powerIndex = 13;
    plan.fecIndex = 1;
    plan.portRateIndex = portRateIndex;
    plan.dataFormatIndex = 0;
    return plan;
}
