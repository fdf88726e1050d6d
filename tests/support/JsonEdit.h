#pragma once
// Edits of a settings document as a user would make them by hand.

#include <QJsonArray>
#include <QJsonObject>

// Sets fields of one row of "channels".
inline void SetChannel(QJsonObject& doc, int row, const QJsonObject& fields) {
    QJsonArray channels = doc["channels"].toArray();
    QJsonObject channel = channels[row].toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        channel[it.key()] = it.value();
    }
    channels[row] = channel;
    doc["channels"] = channels;
}

// Sets a field of a register group; an undefined value removes it.
inline void SetRegister(QJsonObject& doc, const char* group, const char* name,
                        const QJsonValue& value) {
    QJsonObject registers = doc[group].toObject();
    if (value.isUndefined()) {
        registers.remove(name);
    } else {
        registers[name] = value;
    }
    doc[group] = registers;
}
