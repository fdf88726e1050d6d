#pragma once
// The settings read from a radio as a JSON document, in the order the radio was read.

#include "exchange/RadioSettings.h"

#include <string>

// A JSON string literal (with quotes) for any byte string: control characters and bytes that are
// not valid UTF-8 are escaped, so whatever a radio sends ends up as valid JSON.
std::string JsonString(const std::string& text);

// {"family": "orv", "orvCurrentChannel": …, "orvPortRate": …, "orv": {…}, "channels": […]}
// or {"family": "qx", "qx": {…}, "channels": […]}; 64 channel objects, index = row.
std::string SettingsToJson(const RadioSettings& settings, int family);
