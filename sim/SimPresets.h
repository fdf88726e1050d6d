#pragma once
// Factory presets "AT&F51" .. "AT&F69": each sets the protocol and mode registers of one
// over-the-air protocol and mode.

#include <map>

// Applies preset to the registers of a radio of the family; false (nothing changed) when the
// family has no such preset.
bool ApplySimPreset(int family, int preset, std::map<int, int>& registers);
