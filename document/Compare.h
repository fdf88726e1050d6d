#pragma once
// What differs between two settings documents, in words a user understands, and the document a
// radio will list after a write: together they say what a write would change and whether the
// radio holds what was sent.

#include "document/SettingsJson.h"
#include "exchange/WritePlan.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

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

// What a write decides of a radio that listed before: every register the write sends, every
// channel row it programs (as the radio lists it, a deleted row absent), and the registers its
// factory preset alone sets where the preset's mode fixes them (the ORV mode registers). The
// rest of document is as before; a read-back compares only what the write decides.
struct ExpectedDocument {
    SettingsDocument document;
    // Registers a preset sets as the radio's own preset table has it ("qx.s141" after a
    // compatible protocol's preset): kept as before in document, never compared.
    QStringList presetRegisters;
    // Channel rows the write does not program (ORV: the other layout's pair in each slot).
    std::array<bool, RadioSettings::kChannelRows> untouchedRows{};
};
ExpectedDocument ExpectedAfterWrite(const OrvWritePlan& plan, const SettingsDocument& before);
ExpectedDocument ExpectedAfterWrite(const QxWritePlan& plan, const SettingsDocument& before);

// What a read will return after the write, as far as it knows: ExpectedAfterWrite's document.
SettingsDocument DocumentAfterWrite(const OrvWritePlan& plan, const SettingsDocument& before);
SettingsDocument DocumentAfterWrite(const QxWritePlan& plan, const SettingsDocument& before);

// The radio as read back after a write, against what the write decides.
struct Verification {
    QList<Difference> differences; // expected -> held, what the write decides only
    QStringList notCheckedChinese; // the preset's registers, in words ("S141 透明协议预设")
    QStringList notCheckedEnglish;
};
Verification VerifyHeld(const ExpectedDocument& expected, const SettingsDocument& held);

// "not checked (set by the radio's preset): S141 transparent protocol preset", or "" when every
// register was checked.
QString NotCheckedLine(const Verification& verification, bool english);

} // namespace Doc
