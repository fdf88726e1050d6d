#pragma once
// Misbehaviour a simulated radio can be told to show, so that the tool's handling of a bad line
// or a bad radio can be tried without one. All off by default.

#include <string>

struct SimFaults {
    // Bytes sent in front of a reply. With noiseOn empty: in front of every reply and of the
    // power-on announcement; otherwise only in front of the answer to commands that start with
    // noiseOn (compared without regard to case, e.g. "ATS186?" or "+++").
    std::string noise;
    std::string noiseOn;

    // Commands that start with this text are refused with "ERROR" (e.g. "ATS105?", "ats102=").
    std::string errorOn;

    // The radio stops answering (until it is switched off and on) after this many replies...
    int silentAfter = -1;
    // ...or from the first command that starts with this text on, that command included.
    std::string silentOn;

    // The channel listing is cut off after this many bytes.
    int truncateListingAt = -1;
    // Lines listed after the real ones, numbered from 64 up.
    int extraListingLines = 0;

    bool Any() const {
        return !noise.empty() || !errorOn.empty() || silentAfter >= 0 || !silentOn.empty() ||
               truncateListingAt >= 0 || extraListingLines > 0;
    }
};
