#include "serial/PortEnumerator.h"

#include "serial/CommPort.h"
#include "serial/PublishedPorts.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

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
QString CanonicalDevice(const QString& portName) {
    const QString path = CCommPort::DevicePath(portName);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
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
    CPortEnumerator::SortByName(system);

    QList<PortInfo> published;
    for (const PublishedPort& port : PublishedPorts::Live()) {
        published.append(PortInfo{port.name, port.description, false});
    }
    CPortEnumerator::SortByName(published);

    // The system's own ports first; a published port that is one of them is listed once.
    QList<PortInfo> all;
    QSet<QString> seen;
    for (const QList<PortInfo>* group : {&system, &published}) {
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
    QList<PortInfo> present;
    for (PortInfo port : Candidates()) {
        const Presence presence = Probe(port.name);
        if (presence == Presence::Absent) {
            continue;
        }
        port.free = presence == Presence::Free;
        present.append(port);
    }
    return present;
}

void CPortEnumerator::SortByName(QList<PortInfo>& ports) {
    // The C locale compares code points only: numeric mode needs a real one.
    QCollator collator{QLocale(QLocale::English)};
    collator.setNumericMode(true);
    std::stable_sort(ports.begin(), ports.end(), [&](const PortInfo& a, const PortInfo& b) {
        return collator.compare(a.name, b.name) < 0;
    });
}
