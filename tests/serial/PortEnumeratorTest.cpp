// Port enumeration with ports published on pseudo-terminals.
#include "serial/PortEnumerator.h"
#include "serial/CommPort.h"
#include "serial/PublishedPorts.h"
#include "tests/support/PtyPair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace {

// The test keeps published ports of its own, apart from the user's.
class PortEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid() && orv.Ok() && qx.Ok());
        m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_previousRuntime); }

    static QString Publish(const PtyPair& line, const QString& description, qint64 pid) {
        const QString file = PublishedPorts::Publish(
            PublishedPort{line.SlaveName(), line.SlavePath(), description, pid});
        EXPECT_FALSE(file.isEmpty());
        return file;
    }
    static const PortInfo* Find(const QList<PortInfo>& ports, const QString& name) {
        const auto it = std::find_if(ports.cbegin(), ports.cend(),
                                     [&](const PortInfo& p) { return p.name == name; });
        return it == ports.cend() ? nullptr : &*it;
    }

    QTemporaryDir runtime;
    QByteArray m_previousRuntime;
    PtyPair orv;
    PtyPair qx;
};

TEST_F(PortEnumeratorTest, OffersLivePublishedPortsOnceAfterTheSystemPortsAndMarksBusyOnes) {
    Publish(orv, QStringLiteral("simulated ORV radio"), ::getpid());
    Publish(qx, QStringLiteral("simulated QX260 module"), ::getppid());
    Publish(orv, QStringLiteral("the same terminal again"), 1);

    QList<PortInfo> ports = CPortEnumerator::Enumerate();
    const PortInfo* orvPort = Find(ports, orv.SlaveName());
    const PortInfo* qxPort = Find(ports, qx.SlaveName());
    ASSERT_TRUE(orvPort != nullptr && qxPort != nullptr);
    EXPECT_EQ(qxPort->description, QStringLiteral("simulated QX260 module"));
    EXPECT_TRUE(orvPort->free && g_freePorts.contains(orv.SlaveName()));
    EXPECT_EQ(g_allPorts.count(orv.SlaveName()), 1);

    // Published ports come last, numbered naturally (pts/9 before pts/10).
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

// A publisher killed without withdrawing leaves its entry behind: it is never offered, and the
// entry goes. So do an entry whose owner has ended but is not yet reaped, and a broken one.
TEST_F(PortEnumeratorTest, ForgetsPortsWhoseOwnerIsGone) {
    const pid_t reaped = ::fork();
    if (reaped == 0) {
        ::_exit(0);
    }
    ASSERT_GT(reaped, 0);
    ASSERT_EQ(::waitpid(reaped, nullptr, 0), reaped);
    const pid_t zombie = ::fork();
    if (zombie == 0) {
        ::_exit(0);
    }
    ASSERT_GT(zombie, 0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(zombie), &info, WEXITED | WNOWAIT), 0);

    const QString deadFile = Publish(orv, QStringLiteral("simulated ORV radio"), reaped);
    const QString zombieFile = Publish(qx, QStringLiteral("simulated QX260 module"), zombie);
    QFile broken(QDir(PublishedPorts::Directory()).filePath(QStringLiteral("port-1-x.json")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"name\": ");
    broken.close();

    EXPECT_TRUE(PublishedPorts::Live().isEmpty());
    const QList<PortInfo> ports = CPortEnumerator::Enumerate();
    EXPECT_EQ(Find(ports, orv.SlaveName()), nullptr);
    EXPECT_EQ(Find(ports, qx.SlaveName()), nullptr);
    EXPECT_TRUE(QDir(PublishedPorts::Directory()).entryList(QDir::Files).isEmpty());
    ::waitpid(zombie, nullptr, 0);

    // Withdrawn by a live owner: gone at once.
    PublishedPorts::Withdraw(Publish(orv, QStringLiteral("simulated ORV radio"), ::getpid()));
    EXPECT_TRUE(PublishedPorts::Live().isEmpty());
}

TEST(PortNames, SortWithNumbersTakenAsNumbers) {
    QList<PortInfo> ports;
    for (const char* name : {"ttyS10", "pts/10", "ttyUSB0", "ttyS2", "pts/9", "ttyACM0"}) {
        ports.append(PortInfo{QString::fromLatin1(name), {}, false});
    }
    CPortEnumerator::SortByName(ports);
    QStringList names;
    for (const PortInfo& port : ports) {
        names.append(port.name);
    }
    EXPECT_EQ(names.join(' '), QStringLiteral("pts/9 pts/10 ttyACM0 ttyS2 ttyS10 ttyUSB0"));
}

} // namespace
