// Port enumeration with ports published on pseudo-terminals, and the order of port names.
#include "serial/PortEnumerator.h"
#include "serial/CommPort.h"
#include "serial/PublishedPorts.h"
#include "tests/support/PtyPair.h"

#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Published ports are offered once, after the system's, while their terminal and their owner
// live; one held open is offered as busy. The test keeps its published ports apart.
TEST(PortEnumerator, OffersLivePublishedPortsOnceAndMarksBusyOnes) {
    QTemporaryDir runtime;
    PtyPair orv, qx, orphan;
    ASSERT_TRUE(runtime.isValid() && orv.Ok() && qx.Ok() && orphan.Ok());
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const pid_t gone = ::fork(); // a publisher killed without withdrawing
    if (gone == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::tuple<const PtyPair*, const char*, qint64> published[] = {
        {&orv, "simulated ORV radio", ::getpid()},
        {&qx, "simulated QX260 module", ::getppid()},
        {&orv, "the same terminal again", 1},
        {&orphan, "gone", gone},
    };
    for (const auto& [line, description, pid] : published) {
        ASSERT_FALSE(PublishedPorts::Publish({line->SlaveName(), line->SlavePath(),
                                              QString::fromUtf8(description), pid})
                         .isEmpty());
    }
    CCommPort held;
    ASSERT_TRUE(held.Open(nullptr, orv.SlaveName(), 9600));
    const QString closed = qx.SlaveName();
    const QList<PortInfo> before = CPortEnumerator::Enumerate();
    qx.CloseMaster();
    const QList<PortInfo> after = CPortEnumerator::Enumerate();
    qputenv("XDG_RUNTIME_DIR", previousRuntime);

    // Published ports come last, in natural order, each once, with the publisher's description.
    QStringList names;
    for (const PortInfo& port : before) {
        names << port.name;
    }
    const bool orvFirst = orv.SlaveName().mid(4).toInt() < closed.mid(4).toInt();
    EXPECT_EQ(names.mid(names.size() - 2), (orvFirst ? QStringList{orv.SlaveName(), closed}
                                                     : QStringList{closed, orv.SlaveName()}));
    EXPECT_EQ(before[names.indexOf(closed)].description, "simulated QX260 module");
    EXPECT_FALSE(names.contains(orphan.SlaveName()));
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), // its terminal went away
                             [&](const PortInfo& port) { return port.name == closed; }));
    EXPECT_FALSE(before[names.indexOf(orv.SlaveName())].free); // held by the test
}

TEST(PortEnumerator, SortsNamesWithNumbersTakenAsNumbers) {
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
