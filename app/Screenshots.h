#pragma once
// Draws every window of the program, in Chinese and in English, into PNG files (documentation).

#include <QString>

// Returns 0 when every picture was written.
int RenderScreenshots(const QString& folder);
