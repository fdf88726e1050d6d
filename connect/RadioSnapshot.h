#pragma once
// What one completed read found in a radio, as a value: whoever receives it keeps it as it was,
// whatever the session that read it does next.

#include "exchange/RadioSettings.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>

struct RadioSnapshot {
    RadioFamily family = FAMILY_QX;
    // The registers, the channel listing and (ORV) the power-on report.
    RadioSettings settings;
    // The port it was read on ("ttyUSB0", "pts/4", "COM7").
    QString port;
    // When the read completed (UTC).
    QDateTime when;
};

Q_DECLARE_METATYPE(RadioSnapshot)
