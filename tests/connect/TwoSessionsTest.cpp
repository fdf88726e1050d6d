// Two radio sessions in one process, each reading its own simulated module at the same time:
// each read delivers what its own module holds, whatever the other session does meanwhile.

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "sim/SimServer.h"
#include "tests/support/LoopUntil.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

constexpr int kPower = 108; // a register both modules hold, set apart below

// A module served on its own pseudo-terminal, and a session that reads it on the CONFIG-key
// road (the module announces itself once the port opens).
struct Bench {
    explicit Bench(const SimState& state) : radio(state), server(radio, log) {
        server.SetPacing(false);
        server.SetAnnounceDelay(0);
        QObject::connect(&session, &CRadioSession::readFinished,
                         [this](const RadioSnapshot& snapshot) {
                             ++reads;
                             read = snapshot;
                         });
    }

    bool Start() {
        QString error;
        if (!server.Start(&error)) {
            ADD_FAILURE() << error.toStdString();
            return false;
        }
        port = server.SlavePath().mid(5);
        session.SetFamily(FAMILY_QX);
        session.SetPortName(port);
        return session.OpenPort(9600);
    }

    CSimRadio radio;
    CSimLog log;
    CSimServer server;
    CRadioSession session;
    QString port;
    int reads = 0;
    std::optional<RadioSnapshot> read;
};

SimState Module(int power, long long channel5Hz, bool channel9) {
    SimState state = DefaultSimState(FAMILY_QX);
    state.registers[kPower] = power;
    state.channels[5] = SimChannel{true, channel5Hz, 2, 2};
    state.channels[9] = channel9 ? SimChannel{true, 456062500, 0, 1} : SimChannel{};
    return state;
}

TEST(TwoSessions, EachReadDeliversItsOwnRadio) {
    Timing::SetScale(0.03);
    int lowest = 0;
    int highest = 0;
    ASSERT_TRUE(SimRegisterRange(FAMILY_QX, kPower, &lowest, &highest));
    ASSERT_LT(lowest, highest);

    const auto a = std::make_unique<Bench>(Module(lowest, 433125000, false));
    const auto b = std::make_unique<Bench>(Module(highest, 470000000, true));
    // Both ports open before either module's first byte is handled: the reads interleave.
    ASSERT_TRUE(a->Start());
    ASSERT_TRUE(b->Start());
    EXPECT_TRUE(LoopUntil([&] { return a->reads > 0 && b->reads > 0; }));
    a->session.ClosePort();
    b->session.ClosePort();
    Timing::SetScale(1);
    ASSERT_TRUE(a->read.has_value() && b->read.has_value());
    EXPECT_EQ(a->reads, 1);
    EXPECT_EQ(b->reads, 1);

    struct Expected {
        const Bench* bench;
        int power;
        const char* channel5;
        const char* channel9;
    };
    for (const Expected& e : {Expected{a.get(), lowest, "433.125000", ""},
                              Expected{b.get(), highest, "470.000000", "456.062500"}}) {
        SCOPED_TRACE(e.bench->port.toStdString());
        const RadioSnapshot& read = *e.bench->read;
        EXPECT_EQ(read.family, FAMILY_QX);
        EXPECT_EQ(read.port, e.bench->port);
        EXPECT_TRUE(read.when.isValid());
        EXPECT_EQ(read.settings.qx.s108, e.power);
        EXPECT_EQ(read.settings.channels[5].frequency, e.channel5);
        EXPECT_EQ(read.settings.channels[9].frequency, e.channel9);
    }
}

} // namespace
