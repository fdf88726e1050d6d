#include "serial/PortEnumerator.h"

#include "serial/CommPort.h"
#include "sim/SimPortRegistry.h"

#include <QFileInfo>
#include <QHash>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

QStringList g_allPorts;
QStringList g_freePorts;
QStringList g_busyPorts;

namespace {

enum class Presence { Free, Busy, Absent };

// Opening is the only reliable test: a port held by another program (or by this one) refuses.
Presence Probe(const QString& portName) {
    QSerialPort port;
    port.setPortName(CCommPort::DevicePath(portName));
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return Presence::Free;
    }
    return port.error() == QSerialPort::PermissionError ? Presence::Busy : Presence::Absent;
}

#ifndef Q_OS_WIN
void SortNaturally(QList<PortInfo>& ports) {
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) {
        return CPortEnumerator::NaturalLess(a.name, b.name);
    });
}

QString CanonicalDevice(const QString& portName) {
    const QString path = CCommPort::DevicePath(portName);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString SimulatorDescription(const QString& family) {
    if (family == QLatin1String("orv")) {
        return QStringLiteral("simulated ORV radio");
    }
    if (family == QLatin1String("qx")) {
        return QStringLiteral("simulated QX260 module");
    }
    return QStringLiteral("simulated radio");
}

QString SimulatorPortName(const SimPortEntry& entry) {
    if (!entry.portName.isEmpty()) {
        return entry.portName;
    }
    const QString devPrefix = QStringLiteral("/dev/");
    return entry.devicePath.startsWith(devPrefix) ? entry.devicePath.mid(devPrefix.size())
                                                  : entry.devicePath;
}
#endif

QList<PortInfo> Candidates() {
    QList<PortInfo> system;
#ifdef Q_OS_WIN
    QHash<QString, QString> descriptions;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        descriptions.insert(info.portName(), info.description());
    }
    for (int n = 1; n <= 16; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        system.append(PortInfo{name, descriptions.value(name), false});
    }
    return system;
#else
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString location = info.systemLocation();
        const QString name =
            location.startsWith(QStringLiteral("/dev/")) ? location.mid(5) : info.portName();
        system.append(PortInfo{name, info.description(), false});
    }
    SortNaturally(system);

    QList<PortInfo> simulated;
    for (const SimPortEntry& entry : SimPortRegistry::Running()) {
        const QString name = SimulatorPortName(entry);
        if (!name.isEmpty()) {
            simulated.append(PortInfo{name, SimulatorDescription(entry.family), false});
        }
    }
    SortNaturally(simulated);

    QList<PortInfo> all;
    QSet<QString> seen;
    for (const QList<PortInfo>* group : {&system, &simulated}) {
        for (const PortInfo& port : *group) {
            if (!seen.contains(CanonicalDevice(port.name))) {
                seen.insert(CanonicalDevice(port.name));
                all.append(port);
            }
        }
    }
    return all;
#endif
}

} // namespace

QList<PortInfo> CPortEnumerator::Enumerate() {
    g_allPorts.clear();
    g_freePorts.clear();
    g_busyPorts.clear();
    QList<PortInfo> present;
    for (PortInfo port : Candidates()) {
        const Presence presence = Probe(port.name);
        if (presence == Presence::Absent) {
            continue;
        }
        port.free = presence == Presence::Free;
        (port.free ? g_freePorts : g_busyPorts).append(port.name);
        g_allPorts.append(port.name);
        present.append(port);
    }
    return present;
}

bool CPortEnumerator::NaturalLess(const QString& a, const QString& b) {
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            qsizetype startA = i;
            qsizetype startB = j;
            while (startA + 1 < endA && a[startA] == QLatin1Char('0')) {
                ++startA;
            }
            while (startB + 1 < endB && b[startB] == QLatin1Char('0')) {
                ++startB;
            }
            const qsizetype lengthA = endA - startA;
            const qsizetype lengthB = endB - startB;
            if (lengthA != lengthB) {
                return lengthA < lengthB;
            }
            const int order =
                QStringView(a).mid(startA, lengthA).compare(QStringView(b).mid(startB, lengthB));
            if (order != 0) {
                return order < 0;
            }
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j)) {
        return (a.size() - i) < (b.size() - j);
    }
    return a < b; // equal up to leading zeros: keep a stable, total order
}

QStringList CPortEnumerator::FreePortNames() {
    Enumerate();
    return g_freePorts;
}
