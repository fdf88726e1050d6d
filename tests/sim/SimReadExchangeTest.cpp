// Both read sequences of the real command exchange against the simulated radio, byte by byte,
// from the start answer to the end of the read: what the tool reads must be what the radio holds.

#include "PowerOnReport.h"
#include "RadioExchange.h"
#include "SimRadio.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// Carries bytes between the exchange and the radio as the serial port would: one byte per
// intake call, a command written after the byte that triggered it, unread input purged before
// each write. No time passes, so holds and the watchdog are only noted.
class CSimLink : public IExchangeHost {
public:
    CSimLink(CSimRadio& radio, int family) : m_radio(radio), m_exchange(*this, settings) {
        m_exchange.SetFamily(family);
    }

    RadioSettings settings;
    std::vector<std::string> commands;
    int finished = 0;
    int rejected = 0;

    // Delivers bytes and whatever the radio answers to the commands they trigger, until the
    // line is quiet.
    void Deliver(const std::string& bytes) {
        m_input.insert(m_input.end(), bytes.begin(), bytes.end());
        for (int guard = 0; !m_input.empty() && guard < 1000000; ++guard) {
            const auto byte = static_cast<unsigned char>(m_input.front());
            m_input.pop_front();
            m_pending.clear();
            m_exchange.OnPortRxChar(byte);
            if (!m_pending.empty()) {
                m_input.clear();
                const std::string answer = m_radio.Receive(m_pending);
                m_input.insert(m_input.end(), answer.begin(), answer.end());
            }
        }
    }

    // "+++" as the connection procedures send it.
    void Escape() { Deliver(m_radio.Receive("+++")); }

    void SendCommand(const std::string& text) override {
        m_pending = text;
        commands.push_back(text);
    }
    void Hold(int) override {}
    void ReadStarted(int) override {}
    void ReadFinished(int) override { ++finished; }
    void SetWatchdog(int) override {}
    void NoAnswer() override {}
    void ReplyRejected() override { ++rejected; }

private:
    CSimRadio& m_radio;
    CRadioExchange m_exchange;
    std::deque<char> m_input;
    std::string m_pending;
};

std::string ListingLineOf(int n, const SimChannel& c) {
    std::string line = std::to_string(n);
    line.resize(20, ' ');
    line += SimFrequencyText(c.frequencyHz);
    line.resize(38, ' ');
    line += SimBandwidthText(c.bandwidth);
    line.resize(51, ' ');
    return line + SimDirectionText(c.direction);
}

// The channel rows the tool should hold after reading the radio, starting from empty rows.
std::array<ChannelEntry, 64> ExpectedChannels(const CSimRadio& radio) {
    std::array<ChannelEntry, 64> rows{};
    std::vector<int> listed;
    for (int n = 0; n < 64; ++n) {
        const SimChannel& c = radio.Channel(n);
        if (c.programmed) {
            rows[static_cast<std::size_t>(n)] = {std::to_string(n), SimFrequencyText(c.frequencyHz),
                                                 SimBandwidthText(c.bandwidth),
                                                 SimDirectionText(c.direction)};
            listed.push_back(n);
        }
    }
    // An ORV radio's row 63 shows the channel listed two lines before it (as its slot 16 uses
    // channel 61 for repeater receive).
    if (radio.Family() == FAMILY_ORV && radio.Channel(63).programmed && listed.size() >= 3) {
        const int m = listed[listed.size() - 3];
        rows[63] = rows[static_cast<std::size_t>(m)];
        rows[63].channel = ListingLineOf(m, radio.Channel(m)).substr(0, 2);
    }
    return rows;
}

void ExpectChannels(const RadioSettings& settings, const CSimRadio& radio) {
    const std::array<ChannelEntry, 64> expected = ExpectedChannels(radio);
    for (std::size_t n = 0; n < 64; ++n) {
        EXPECT_EQ(settings.channels[n], expected[n]) << "row " << n;
    }
}

SimState UnusualOrvState() {
    SimState state = DefaultSimState(FAMILY_ORV);
    state.registers = {{128, 1},  {186, 3},  {127, 1},  {103, 7},   {141, 0},
                       {101, 2},  {226, 1},  {190, 1},  {105, 203}, {131, 60},
                       {132, 61}, {191, 62}, {192, 61}, {102, 9},   {108, 33}};
    state.currentChannel = 16;
    state.channels = {};
    for (int n : {0, 13, 40, 58, 61, 63}) {
        state.channels[static_cast<std::size_t>(n)] = {true, 410000000 + 6250LL * n * n, n % 3,
                                                       n % 3};
    }
    return state;
}

SimState UnusualQxState() {
    SimState state = DefaultSimState(FAMILY_QX);
    state.registers = {{128, 0},  {186, 3},  {101, 1},  {127, 1},  {103, 8}, {141, 1},
                       {125, 0},  {131, 63}, {132, 9},  {191, 40}, {192, 0}, {105, 255},
                       {108, 20}, {158, 0},  {102, 14}, {110, 10}};
    state.channels = {};
    for (int n : {1, 9, 40, 62, 63}) {
        state.channels[static_cast<std::size_t>(n)] = {true, 480000000 - 12500LL * n, 2 - n % 3,
                                                       n % 3};
    }
    return state;
}

void ReadOrv(const SimState& state) {
    CSimRadio radio(state);
    CSimLink link(radio, FAMILY_ORV);

    // The power-on detection takes channel and rate from the report.
    const PowerOnReport report = ParsePowerOnReport(radio.PowerOnAnnouncement());
    ASSERT_TRUE(report.valid);
    link.settings.orvCurrentChannel = report.channel;
    link.settings.orvPortRate = report.rateCode;

    link.Escape();
    ASSERT_EQ(link.finished, 1) << "last command: " << link.commands.back();
    EXPECT_EQ(link.rejected, 0);
    EXPECT_EQ(link.commands.size(), 10u);

    const RadioSettings& s = link.settings;
    EXPECT_EQ(s.orvCurrentChannel, state.currentChannel);
    EXPECT_EQ(s.orvPortRate, radio.Register(102));
    EXPECT_EQ(s.orv.s128, radio.Register(128));
    EXPECT_EQ(s.orv.s186, radio.Register(186));
    EXPECT_EQ(s.orv.s127, radio.Register(127));
    EXPECT_EQ(s.orv.s103, radio.Register(103));
    EXPECT_EQ(s.orv.s141, radio.Register(141));
    EXPECT_EQ(s.orv.s101, radio.Register(101));
    EXPECT_EQ(s.orv.s226, radio.Register(226));
    EXPECT_EQ(s.orv.s190, radio.Register(190));
    EXPECT_EQ(s.orv.s105, std::to_string(radio.Register(105)));
    ExpectChannels(s, radio);
}

void ReadQx(const SimState& state) {
    CSimRadio radio(state);
    CSimLink link(radio, FAMILY_QX);
    link.Escape();
    ASSERT_EQ(link.finished, 1) << "last command: " << link.commands.back();
    EXPECT_EQ(link.rejected, 0);
    EXPECT_EQ(link.commands.size(), 17u);

    const QxRegisters& q = link.settings.qx;
    EXPECT_EQ(q.s186, radio.Register(186));
    EXPECT_EQ(q.s101, radio.Register(101));
    EXPECT_EQ(q.s127, radio.Register(127));
    EXPECT_EQ(q.s103, radio.Register(103));
    EXPECT_EQ(q.s141, radio.Register(141));
    EXPECT_EQ(q.s125, radio.Register(125));
    EXPECT_EQ(q.s131, radio.Register(131));
    EXPECT_EQ(q.s132, radio.Register(132));
    EXPECT_EQ(q.s191, radio.Register(191));
    EXPECT_EQ(q.s192, radio.Register(192));
    EXPECT_EQ(q.s105, radio.Register(105));
    EXPECT_EQ(q.s108, radio.Register(108));
    EXPECT_EQ(q.s158, radio.Register(158));
    EXPECT_EQ(q.s102, radio.Register(102));
    EXPECT_EQ(q.s110, radio.Register(110));
    ExpectChannels(link.settings, radio);
}

} // namespace

TEST(SimReadThroughExchange, OrvFactoryState) {
    ReadOrv(DefaultSimState(FAMILY_ORV));
}

TEST(SimReadThroughExchange, OrvUnusualState) {
    ReadOrv(UnusualOrvState());
}

TEST(SimReadThroughExchange, QxFactoryState) {
    ReadQx(DefaultSimState(FAMILY_QX));
}

TEST(SimReadThroughExchange, QxUnusualState) {
    ReadQx(UnusualQxState());
}

TEST(SimReadThroughExchange, QxConfigKeyStartAnswerStartsTheRead) {
    CSimRadio radio(FAMILY_QX);
    CSimLink link(radio, FAMILY_QX);
    link.Deliver(radio.PowerOnAnnouncement());
    EXPECT_EQ(link.finished, 1);
    EXPECT_EQ(link.settings.qx.s102, 7);
}

TEST(SimReadThroughExchange, FaultsStopTheReadWhereTheyHit) {
    {
        SimFaults faults;
        faults.noise = "#";
        faults.noiseOn = "ATS141?";
        CSimRadio radio(FAMILY_ORV);
        radio.SetFaults(faults);
        CSimLink link(radio, FAMILY_ORV);
        link.Escape();
        EXPECT_EQ(link.finished, 0);
        EXPECT_EQ(link.commands.back(), "ATS141?\r") << "a reply behind noise is not recognised";
    }
    {
        SimFaults faults;
        faults.errorOn = "ATS132?";
        CSimRadio radio(FAMILY_QX);
        radio.SetFaults(faults);
        CSimLink link(radio, FAMILY_QX);
        link.Escape();
        EXPECT_EQ(link.finished, 0);
        EXPECT_EQ(link.commands.back(), "ATS132?\r");
    }
    {
        SimFaults faults;
        faults.extraListingLines = 20;
        CSimRadio radio(FAMILY_ORV);
        radio.SetFaults(faults);
        CSimLink link(radio, FAMILY_ORV);
        link.Escape();
        EXPECT_EQ(link.finished, 0);
        EXPECT_EQ(link.rejected, 1) << "a listing beyond the reply buffer is rejected";
    }
}
