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

    // Bytes put where the value of a register read starts (after the echo's line end), in the
    // answer to every register read or, with valueNoiseOn set, to those starting with it.
    std::string valueNoise;
    std::string valueNoiseOn;

    // Bytes sent in front of the power-on announcement only (a power-up glitch).
    std::string powerOnNoise;

    // Commands that start with this text are refused with "ERROR" (e.g. "ATS105?", "ats102=").
    std::string errorOn;

    // Commands that start with this text make the radio restart: it answers them with its
    // start answer instead (e.g. "ATS186?": a radio that resets on one command).
    std::string resetOn;

    // The radio stops answering (until it is switched off and on) after this many replies...
    int silentAfter = -1;
    // ...or from the first command that starts with this text on, that command included.
    std::string silentOn;

    // The channel listing is cut off after this many bytes.
    int truncateListingAt = -1;
    // Lines listed after the real ones, numbered from 64 up.
    int extraListingLines = 0;
    // Bytes put into the first channel line of the listing, in front of its direction (with no
    // channel programmed, in front of the closing "OK").
    std::string listingNoise;
    // An empty line at the end of the listing, before the closing "OK".
    bool listingEmptyLine = false;

    // The channel-programming dialogue takes every row of this channel and answers as usual,
    // but the channel keeps what it held (a radio that silently loses a write); -1: none.
    int dropChannel = -1;

    bool Any() const {
        return !noise.empty() || !valueNoise.empty() || !powerOnNoise.empty() || !errorOn.empty() ||
               !resetOn.empty() || silentAfter >= 0 || !silentOn.empty() ||
               truncateListingAt >= 0 || extraListingLines > 0 || !listingNoise.empty() ||
               listingEmptyLine || dropChannel >= 0;
    }
};
