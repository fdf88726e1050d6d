#pragma once
// Misbehaviour a simulated radio can be told to show, so that the tool's handling of a bad line
// or a bad radio can be tried without one. All off by default.

#include <string>
#include <string_view>
#include <vector>

// How the one reply a step fault picks is spoiled. For the first six only the reply is: the
// radio has taken the command all the same. The last three misbehave in what the radio does and
// strike only where they can: a prompt of the channel dialogue, a register write.
enum class SimStepFault {
    None,
    Error,        // "ERROR" in place of the answer (after the echo, where the answer has one)
    Silence,      // no reply, and none from then on until the radio is switched off and on
    Noise,        // noise bytes in front of the reply
    Cut,          // only the first half of the reply, nothing after it
    Overlong,     // the reply with stepFill filler bytes in its middle
    Vanish,       // the line goes away: the port is closed under the tool
    SkipPrompt,   // the prompt the reply carries is left out (its field keeps what it held) and
                  // the one after it asked instead
    RepeatPrompt, // the answer just given is not taken and its prompt asked again
    ChangeDigit,  // the register write is taken with the last digit of its value changed (to
                  // one the register takes), and echoed as taken
};

// The step faults by the names orvconf-sim takes for them.
struct SimStepFaultName {
    std::string_view name;
    SimStepFault fault;
};
inline constexpr SimStepFaultName kSimStepFaultNames[] = {
    {"error", SimStepFault::Error},
    {"silence", SimStepFault::Silence},
    {"noise", SimStepFault::Noise},
    {"cut", SimStepFault::Cut},
    {"overlong", SimStepFault::Overlong},
    {"vanish", SimStepFault::Vanish},
    {"skip-prompt", SimStepFault::SkipPrompt},
    {"repeat-prompt", SimStepFault::RepeatPrompt},
    {"change-digit", SimStepFault::ChangeDigit},
};

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

    // One reply spoiled, so that every step of a sequence can be tried in turn. Replies are
    // numbered from the radio's last power-on: 0 is its power-on announcement, 1 the reply to
    // the first command after it (a command given no reply is not counted).
    SimStepFault stepFault = SimStepFault::None;
    int stepFaultAt = 0;
    int stepFill = 5000; // filler bytes of an overlong reply

    // Registers the factory presets leave as they are: a radio whose presets set fewer
    // registers than ours do (e.g. 141). Not a fault: such radios exist.
    std::vector<int> presetKeeps;

    bool Any() const {
        return stepFault != SimStepFault::None || !noise.empty() || !valueNoise.empty() ||
               !powerOnNoise.empty() || !errorOn.empty() || !resetOn.empty() || silentAfter >= 0 ||
               !silentOn.empty() || truncateListingAt >= 0 || extraListingLines > 0 ||
               !listingNoise.empty() || listingEmptyLine || dropChannel >= 0;
    }
};
