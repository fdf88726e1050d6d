#pragma once
// An exchange host that records every call, in order, for the engine tests.

#include "ExchangeHost.h"

#include <string>
#include <vector>

class RecordingHost : public IExchangeHost {
public:
    std::vector<std::string> commands;
    std::vector<int> holds;
    std::vector<int> watchdog; // every SetWatchdog period, 0 = stopped
    std::vector<int> readsStarted;
    std::vector<int> readsFinished;
    int noAnswers = 0;
    int rejected = 0;
    std::vector<std::string> log; // all calls, in order

    void SendCommand(const std::string& text) override {
        commands.push_back(text);
        log.push_back("send " + text);
    }
    void Hold(int ms) override {
        holds.push_back(ms);
        log.push_back("hold " + std::to_string(ms));
    }
    void ReadStarted(int family) override {
        readsStarted.push_back(family);
        log.push_back("started " + std::to_string(family));
    }
    void ReadFinished(int family) override {
        readsFinished.push_back(family);
        log.push_back("finished " + std::to_string(family));
    }
    void SetWatchdog(int ms) override {
        watchdog.push_back(ms);
        log.push_back("watchdog " + std::to_string(ms));
    }
    void NoAnswer() override {
        ++noAnswers;
        log.push_back("no answer");
    }
    void ReplyRejected() override {
        ++rejected;
        log.push_back("rejected");
    }
};
