// Port enumeration with simulated radios published on pseudo-terminals.
#include "serial/PortEnumerator.h"
#include "serial/CommPort.h"
#include "sim/SimPortRegistry.h"
#include "tests/support/PtyPair.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

namespace {

// The test keeps a registry of simulators of its own, apart from the user's own radios.
class PortEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid() && orv.Ok() && qx.Ok());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    // Entries are kept per process, so each simulated radio needs a live process id.
    static void Publish(const PtyPair& radio, const QString& family, qint64 pid) {
        ASSERT_FALSE(SimPortRegistry::Publish(
                         SimPortEntry{radio.SlaveName(), radio.SlavePath(), family, 9600, pid})
                         .isEmpty());
    }
    static const PortInfo* Find(const QList<PortInfo>& ports, const QString& name) {
        const auto it = std::find_if(ports.cbegin(), ports.cend(),
                                     [&](const PortInfo& p) { return p.name == name; });
        return it == ports.cend() ? nullptr : &*it;
    }

    QTemporaryDir runtime;
    PtyPair orv;
    PtyPair qx;
};

TEST_F(PortEnumeratorTest, OffersRunningSimulatorsOnceAfterTheSystemPortsAndMarksBusyOnes) {
    Publish(orv, QStringLiteral("orv"), ::getpid());
    Publish(qx, QStringLiteral("qx"), ::getppid());
    Publish(orv, QStringLiteral("orv"), 1); // the same terminal announced twice

    QList<PortInfo> ports = CPortEnumerator::Enumerate();
    const PortInfo* orvPort = Find(ports, orv.SlaveName());
    const PortInfo* qxPort = Find(ports, qx.SlaveName());
    ASSERT_TRUE(orvPort != nullptr && qxPort != nullptr);
    EXPECT_TRUE(orvPort->free && g_freePorts.contains(orv.SlaveName()));
    EXPECT_EQ(g_allPorts.count(orv.SlaveName()), 1);

    // Simulators come last, numbered naturally (pts/9 before pts/10).
    const qsizetype orvAt = orvPort - ports.constData();
    const qsizetype qxAt = qxPort - ports.constData();
    EXPECT_EQ(std::max(orvAt, qxAt), ports.size() - 1);
    const bool orvFirst = orv.SlaveName().mid(4).toInt() < qx.SlaveName().mid(4).toInt();
    EXPECT_EQ(orvAt < qxAt, orvFirst);

    // A port held open is still listed, as busy; one whose terminal went away is not.
    CCommPort port;
    ASSERT_TRUE(port.Open(nullptr, orv.SlaveName(), 9600));
    const QString gone = qx.SlaveName();
    qx.CloseMaster();
    ports = CPortEnumerator::Enumerate();
    orvPort = Find(ports, orv.SlaveName());
    ASSERT_NE(orvPort, nullptr);
    EXPECT_FALSE(orvPort->free);
    EXPECT_TRUE(g_busyPorts.contains(orv.SlaveName()) && g_allPorts.contains(orv.SlaveName()));
    EXPECT_FALSE(CPortEnumerator::FreePortNames().contains(orv.SlaveName()));
    EXPECT_EQ(Find(ports, gone), nullptr);
    EXPECT_FALSE(g_allPorts.contains(gone));
}

TEST(PortNames, SortNaturally) {
    const auto less = [](const char* a, const char* b) {
        return CPortEnumerator::NaturalLess(QString::fromLatin1(a), QString::fromLatin1(b));
    };
    EXPECT_TRUE(less("pts/9", "pts/10"));
    EXPECT_FALSE(less("pts/10", "pts/9"));
    EXPECT_TRUE(less("ttyACM0", "ttyS0"));
    EXPECT_TRUE(less("ttyUSB", "ttyUSB0"));
    EXPECT_FALSE(less("ttyS3", "ttyS3"));
    // Equal numbers written differently still get a strict order.
    EXPECT_NE(less("ttyS01", "ttyS1"), less("ttyS1", "ttyS01"));
}

} // namespace
