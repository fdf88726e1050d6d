#pragma once
// The settings document: what a read put into RadioSettings, as JSON, and back again for the
// commands that write a radio from it.

#include "exchange/RadioSettings.h"

#include <QByteArray>
#include <QStringList>

// The version of the document's layout written in its "format" field. A document without the
// field is version 1; a newer version is refused.
inline constexpr int kDocumentFormat = 1;

// {"format": 1, "family": "orv", "orvCurrentChannel": …, "orvPortRate": …, "orv": {…}, "channels":
// […]} or {"format": 1, "family": "qx", "qx": {…}, "channels": […]}; 64 channel objects, index =
// row. Texts from the radio become strings whatever bytes they hold: valid UTF-8 as it is, any
// other byte as the Latin-1 character of its value.
QByteArray SettingsToJson(const RadioSettings& settings, RadioFamily family);

struct SettingsDocument {
    RadioFamily family = FAMILY_ORV;
    RadioSettings settings;
};

// Reads a document of the form SettingsToJson writes (texts taken as UTF-8). Returns one message
// per bad field, naming it ("orv.s103: …", "channels[5].frequency: …"); only when there is none
// is document filled. Missing and unknown fields are bad too: a misspelt register must not
// leave the radio's value silently unchanged.
QStringList SettingsFromJson(const QByteArray& json, SettingsDocument* document);
