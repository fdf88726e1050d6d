// The reply intake of a write (the family is FUZZ_FAMILY): a valid plan is started, then the
// input is everything the radio sends back, one byte at a time; 0x00 fires the watchdog (see
// CFuzzHost). The commands a healthy radio draws from the write are taken once from the
// simulated radio.

#include "fuzz/ExchangeFuzzHost.h"
#include "sim/SimRadio.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr RadioFamily kFamily = FUZZ_FAMILY;

ChannelEntry Row(int channel) {
    // A mix of programmed and deleted channels, every bandwidth and direction.
    const std::string hertz = channel % 5 == 4 ? "0" : std::to_string(410000000 + 12500 * channel);
    return {std::to_string(channel), hertz, std::to_string(channel % 3),
            std::to_string((channel / 3) % 3)};
}

OrvWritePlan OrvPlan() {
    OrvWritePlan plan;
    for (int r = 0; r < RadioSettings::kOrvProgramRows; ++r) {
        plan.program[static_cast<std::size_t>(r)] = Row(4 * (r / 2) + r % 2);
    }
    plan.protocol = 1;
    plan.modeIndex = 4;
    plan.address = "17";
    plan.currentChannel = 5;
    plan.portRateIndex = 3;
    plan.writePower = true;
    plan.qxPowerIndex = 2;
    return plan;
}

QxWritePlan QxPlan() {
    QxWritePlan plan;
    for (int r = 0; r < RadioSettings::kQxProgramRows; ++r) {
        plan.program[static_cast<std::size_t>(r)] = Row(r);
    }
    plan.protocolIndex = 1;
    plan.workModeIndex = plan.modulationIndex = plan.airRateIndex = plan.bandwidthIndex = 0;
    plan.unitAddress = 3;
    plan.mainTxIndex = plan.mainRxIndex = plan.repeaterTxIndex = plan.repeaterRxIndex = 1;
    plan.powerIndex = plan.fecIndex = plan.portRateIndex = plan.dataFormatIndex = 1;
    return plan;
}

bool Start(CRadioExchange& exchange) {
    return kFamily == FAMILY_ORV ? exchange.StartWrite(OrvPlan()) : exchange.StartWrite(QxPlan());
}

// The commands of a whole write against a healthy radio, in order.
class CHealthyRun : public IExchangeHost {
public:
    CHealthyRun() : m_exchange(*this, m_settings), m_radio(kFamily) {
        m_exchange.SetFamily(kFamily);
        m_radio.Receive("+++"); // in command mode; its start answer is not the write's
        FUZZ_CHECK(Start(m_exchange));
        while (!m_pending.empty() && commands.size() < 1000) {
            const std::string answer = m_radio.Receive(m_pending);
            m_pending.clear();
            for (const char c : answer) {
                m_exchange.OnPortRxChar(static_cast<unsigned char>(c));
            }
        }
        FUZZ_CHECK(saved);
        if (std::getenv("ORVCONF_FUZZ_PRINT_HEALTHY") != nullptr) {
            for (const std::string& c : commands) {
                std::fprintf(stderr, "%s\n", c.c_str());
            }
        }
    }

    std::vector<std::string> commands;
    bool saved = false;

    void SendCommand(const std::string& text) override {
        commands.push_back(text);
        m_pending = text;
    }
    void Hold(int) override {}
    void ReadStarted(RadioFamily) override {}
    void ReadFinished(RadioFamily) override {}
    void SetWatchdog(int) override {}
    void NoAnswer() override {}
    void ReplyRejected() override {}
    void WriteFinished(RadioFamily) override { saved = true; }
    void WriteFailed(RadioFamily) override {}
    void WriteBroken(RadioFamily, const WriteFault&) override {}
    void SaveUnconfirmed(RadioFamily) override {}
    void ReadFailed(ReadFailure, const std::string&, const std::string&) override {}

private:
    RadioSettings m_settings;
    CRadioExchange m_exchange;
    CSimRadio m_radio;
    std::string m_pending;
};

const CHealthyRun& Healthy() {
    static const CHealthyRun run;
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return 0;
    }
    CFuzzHost host(kFamily);
    FUZZ_CHECK(Start(host.exchange));
    host.Feed(data, size);

    // Every prompt must be the one due and every echo what was sent, so whatever the radio
    // sends, the write's commands are those of a healthy write in their order, as far as it
    // got, then at most an ESC that leaves a dialogue the write stopped in. Once the write has
    // ended the engine is idle, and a start answer begins a read as it always does.
    const std::vector<std::string>& all = Healthy().commands;
    const std::size_t during = host.writeEnds > 0 ? host.commandsAtWriteEnd : host.commands.size();
    std::size_t same = 0;
    while (same < during && same < all.size() && host.commands[same] == all[same]) {
        ++same;
    }
    const bool escAfter = host.broken > 0 && same + 1 == during &&
                          host.commands[same] == std::string(1, CWriteSequence::kEsc);
    FUZZ_CHECK(same == during || escAfter);
    FUZZ_CHECK(host.writeEnds <= 1);
    // "Saved" only once every command of the write went out, the save last.
    if (host.saved > 0) {
        FUZZ_CHECK(during == all.size() && same == all.size());
    }
    // A save that may have happened is only ever reported once the save went out.
    if (host.unconfirmed > 0) {
        FUZZ_CHECK(during == all.size());
    }
    if (kFamily == FAMILY_ORV) {
        FUZZ_CHECK(host.settings.orvProgram == OrvPlan().program);
    } else {
        FUZZ_CHECK(host.settings.qxProgram == QxPlan().program);
    }
    return 0;
}
