#pragma once
// Finds the serial ports that can be offered on the home page.

#include <QList>
#include <QString>
#include <QStringList>

struct PortInfo {
    QString name;        // as shown and as passed to CCommPort::Open ("COM7", "ttyUSB0", "pts/4")
    QString description; // what the system (or the port's publisher) says about it
    bool free = false;   // could be opened now
};

class CPortEnumerator {
public:
    // Every present port, free or busy. On Windows COM1..COM16 are probed; elsewhere the system's
    // serial ports and the published ports (see PublishedPorts) are probed by opening.
    static QList<PortInfo> Enumerate();

    // Orders names with digit runs taken as numbers, so that ttyS2 comes before ttyS10.
    static void SortByName(QList<PortInfo>& ports);
};
