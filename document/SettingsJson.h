#pragma once
// The settings document: what a read put into RadioSettings, as JSON, and back again for the
// commands that write a radio from it.

#include "exchange/RadioSettings.h"

#include <QByteArray>
#include <QStringList>

#include <array>
#include <string>

// The version of the document's layout written in its "format" field. A document without the
// field is version 1; a newer version is refused.
inline constexpr int kDocumentFormat = 1;

// {"format": 1, "family": "orv", "orvCurrentChannel": …, "orvPortRate": …, "orv": {…}, "channels":
// […]} or {"format": 1, "family": "qx", "qx": {…}, "channels": […]}; 64 channel objects, index =
// row. Texts from the radio become strings whatever bytes they hold: valid UTF-8 as it is, any
// other byte as the Latin-1 character of its value.
QByteArray SettingsToJson(const RadioSettings& settings, RadioFamily family);

// A channel's name and comment from a channel plan: kept with the document, never sent to the
// radio (it has nowhere to keep them). In the JSON they are the row's optional "name" and
// "comment", written only when not empty.
struct ChannelNote {
    std::string name;
    std::string comment;
    bool operator==(const ChannelNote&) const = default;
};
using ChannelNotes = std::array<ChannelNote, RadioSettings::kChannelRows>;

struct SettingsDocument {
    RadioFamily family = FAMILY_ORV;
    RadioSettings settings;
    ChannelNotes notes{};
};

// The document with its channels' names and comments.
QByteArray SettingsToJson(const SettingsDocument& document);

// Reads a document of the form SettingsToJson writes (texts taken as UTF-8). Returns one message
// per bad field, naming it ("orv.s103: …", "channels[5].frequency: …"); only when there is none
// is document filled. Missing and unknown fields are bad too: a misspelt register must not
// leave the radio's value silently unchanged.
QStringList SettingsFromJson(const QByteArray& json, SettingsDocument* document);
