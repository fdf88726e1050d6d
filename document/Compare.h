#pragma once
// What differs between two settings documents, in words a user understands, and the document a
// radio will list after a write: together they say what a write would change and whether the
// radio holds what was sent.

#include "document/SettingsJson.h"
#include "exchange/WritePlan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Doc {

struct Difference {
    QString field;   // as named in a document: "qx.s103", "channels[5].frequency", "mode"
    QString chinese; // "S103 空中速率：9600 -> 19200"
    QString english; // "S103 air rate: 9600 -> 19200"

    bool operator==(const Difference&) const = default;
};

// The differences from was to will: registers (the ORV mode registers as the one mode they
// choose), then channel rows by number. With readableOnly, only what a read returns is compared
// (not the ORV current channel and port rate, which come from the power-on report).
QList<Difference> CompareDocuments(const SettingsDocument& was, const SettingsDocument& will,
                                   bool readableOnly);

// The differences as lines in one language.
QStringList DifferenceLines(const QList<Difference>& differences, bool english);

// What a read will return after this write to a radio that listed before: the registers the
// write sets, the mode registers of the factory preset it sends, every programmed channel row as
// the radio lists it (a deleted row absent), and everything the write does not touch as before.
SettingsDocument DocumentAfterWrite(const OrvWritePlan& plan, const SettingsDocument& before);
SettingsDocument DocumentAfterWrite(const QxWritePlan& plan, const SettingsDocument& before);

} // namespace Doc
