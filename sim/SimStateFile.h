#pragma once
// The simulated radio's saved settings as a JSON document, so that it keeps them across runs.

#include "sim/SimState.h"

#include <QByteArray>
#include <QString>

QByteArray SimStateToJson(const SimState& state);
// Reads a document written by SimStateToJson (or by hand). On failure tells why, in words fit
// for the user, and leaves state unchanged.
bool SimStateFromJson(const QByteArray& json, SimState* state, QString* error);

// File versions of the above. Saving replaces the file atomically.
bool LoadSimStateFile(const QString& path, SimState* state, QString* error);
bool SaveSimStateFile(const QString& path, const SimState& state, QString* error);

QString SimFamilyName(int family);        // "orv" / "qx"
int SimFamilyOfName(const QString& name); // -1 when unknown
