// Port enumeration with simulated radios published on pseudo-terminals.
#include "PortEnumerator.h"
#include "CommPort.h"
#include "PtyRadio.h"
#include "SimPortRegistry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

class NullOwner : public IPortOwner {
public:
    void OnPortRxChar(unsigned char, const QString&) override {}
    void OnPortLost(const QString&, const QString&) override {}
};

class PortEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        // Keep the user's own registry of simulators out of it.
        previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        ASSERT_TRUE(orv.Ok());
        ASSERT_TRUE(qx.Ok());
    }
    void TearDown() override {
        for (const QString& file : published) {
            SimPortRegistry::Withdraw(file);
        }
        qputenv("XDG_RUNTIME_DIR", previousRuntime);
    }
    // Entries are kept per process, so each simulated radio needs a live process id.
    void Publish(const PtyRadio& radio, const QString& family, qint64 pid) {
        const QString file =
            SimPortRegistry::Publish(SimPortEntry{radio.Name(), radio.Path(), family, 9600, pid});
        ASSERT_FALSE(file.isEmpty());
        published.append(file);
    }
    static const PortInfo* Find(const QList<PortInfo>& ports, const QString& name) {
        const auto it = std::find_if(ports.cbegin(), ports.cend(),
                                     [&](const PortInfo& p) { return p.name == name; });
        return it == ports.cend() ? nullptr : &*it;
    }

    QTemporaryDir runtime;
    QByteArray previousRuntime;
    QStringList published;
    PtyRadio orv;
    PtyRadio qx;
};

TEST_F(PortEnumeratorTest, OffersRunningSimulatorsAfterTheSystemPortsAndMarksBusyOnes) {
    Publish(orv, QStringLiteral("orv"), ::getpid());
    Publish(qx, QStringLiteral("qx"), ::getppid());

    QList<PortInfo> ports = CPortEnumerator::Enumerate();
    const PortInfo* orvPort = Find(ports, orv.Name());
    const PortInfo* qxPort = Find(ports, qx.Name());
    ASSERT_NE(orvPort, nullptr);
    ASSERT_NE(qxPort, nullptr);
    EXPECT_EQ(orvPort->description, QStringLiteral("simulated ORV radio"));
    EXPECT_EQ(qxPort->description, QStringLiteral("simulated QX260 module"));
    EXPECT_TRUE(orvPort->free);
    EXPECT_TRUE(g_freePorts.contains(orv.Name()));
    EXPECT_TRUE(g_allPorts.contains(qx.Name()));

    // Simulators come last, numbered naturally (pts/9 before pts/10).
    const qsizetype orvAt = orvPort - ports.constData();
    const qsizetype qxAt = qxPort - ports.constData();
    EXPECT_EQ(std::max(orvAt, qxAt), ports.size() - 1);
    const bool orvFirst = orv.Name().mid(4).toInt() < qx.Name().mid(4).toInt();
    EXPECT_EQ(orvAt < qxAt, orvFirst);

    NullOwner owner;
    CCommPort port;
    ASSERT_TRUE(port.Open(&owner, orv.Name(), 9600));
    ports = CPortEnumerator::Enumerate();
    orvPort = Find(ports, orv.Name());
    ASSERT_NE(orvPort, nullptr);
    EXPECT_FALSE(orvPort->free);
    EXPECT_TRUE(g_busyPorts.contains(orv.Name()));
    EXPECT_TRUE(g_allPorts.contains(orv.Name()));
    EXPECT_FALSE(CPortEnumerator::FreePortNames().contains(orv.Name()));
    EXPECT_TRUE(g_freePorts.contains(qx.Name()));
}

TEST_F(PortEnumeratorTest, ListsEachDeviceOnceAndDropsVanishedOnes) {
    Publish(orv, QStringLiteral("orv"), ::getpid());
    Publish(orv, QStringLiteral("orv"), ::getppid()); // the same terminal announced twice
    EXPECT_EQ(CPortEnumerator::FreePortNames().count(orv.Name()), 1);

    const QString gone = orv.Name();
    orv.Hangup(); // the terminal disappears with its master
    const QList<PortInfo> ports = CPortEnumerator::Enumerate();
    EXPECT_EQ(Find(ports, gone), nullptr);
    EXPECT_FALSE(g_allPorts.contains(gone));
}

TEST(PortNames, SortNaturally) {
    const auto less = [](const char* a, const char* b) {
        return CPortEnumerator::NaturalLess(QString::fromLatin1(a), QString::fromLatin1(b));
    };
    EXPECT_TRUE(less("ttyS2", "ttyS10"));
    EXPECT_FALSE(less("ttyS10", "ttyS2"));
    EXPECT_TRUE(less("ttyACM0", "ttyS0"));
    EXPECT_TRUE(less("ttyUSB", "ttyUSB0"));
    EXPECT_TRUE(less("pts/9", "pts/10"));
    EXPECT_TRUE(less("COM2", "COM12"));
    EXPECT_FALSE(less("ttyS3", "ttyS3"));
    // Equal numbers written differently still get a strict order.
    EXPECT_NE(less("ttyS01", "ttyS1"), less("ttyS1", "ttyS01"));
}

} // namespace
