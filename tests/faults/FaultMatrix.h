#pragma once
// What the fault matrix walks: the sequences, their steps (named after what the tool sends, found
// by running the real exchange against a healthy simulated radio) and the faults. Shared by the
// in-process matrix and the end-to-end cells.

#include "exchange/WritePlan.h"
#include "sim/SimFaults.h"
#include "sim/SimRadio.h"
#include "tests/support/SimLink.h"

#include <string>
#include <vector>

namespace FaultMatrix {

enum class Road { OrvPowerOn, QxConfigKey, QxSoftDiagnosis };

struct Sequence {
    const char* name;
    RadioFamily family;
    Road road;
    bool write;
};

inline const Sequence kSequences[] = {
    {"orv_read", FAMILY_ORV, Road::OrvPowerOn, false},
    {"qx_read_config_key", FAMILY_QX, Road::QxConfigKey, false},
    {"qx_read_soft_diagnosis", FAMILY_QX, Road::QxSoftDiagnosis, false},
    {"orv_write", FAMILY_ORV, Road::OrvPowerOn, true},
    {"qx_write", FAMILY_QX, Road::QxConfigKey, true},
};

// One row of the matrix: the reply the fault spoils, named after what drew it.
struct Step {
    std::string name;
    int reply;
    bool command = false; // a command of the read or write, not a step of the connection
};

// The write plans (this and SampleQxPlan(7)) keep the radio's serial rate, so that a second
// attempt finds it where it was. The ORV rows are slot r's two channels in either layout, some
// deleted, all codes used.
inline OrvWritePlan OrvPlan(bool repeaterLayout = false, int slot = 3) {
    OrvWritePlan plan;
    for (int r = 0; r < RadioSettings::kOrvProgramRows; ++r) {
        const int channel = 4 * (r / 2) + r % 2 + (repeaterLayout ? 2 : 0);
        plan.program[static_cast<std::size_t>(r)] = {
            std::to_string(channel),
            r % 10 == 9 ? "0" : std::to_string(410000000 + 1250LL * 97 * channel),
            std::to_string((r / 2 + r % 2) % 3), std::to_string((r / 2 + 2 * (r % 2)) % 3)};
    }
    plan.protocol = 0;
    plan.modeIndex = 1;
    plan.address = "17";
    plan.closeAddress = 1;
    plan.currentChannel = slot;
    plan.portRateIndex = 7;
    return plan;
}

// The steps of a sequence. Every reply of the read and of the write is a row, except that of
// the channel rows only the first and the last are: the rows between repeat the same four
// prompts.
inline std::vector<Step> Steps(const Sequence& seq) {
    CSimRadio radio(seq.family);
    CSimLink link(radio, seq.family);
    link.Escape(); // "+++" is reply 1, the read's first command reply 2
    const std::size_t readCommands = link.commands.size();
    if (seq.write && seq.family == FAMILY_ORV) {
        link.Write(OrvPlan());
    } else if (seq.write) {
        link.Write(SampleQxPlan(7));
    }
    // A read's connection replies first; the soft diagnosis's read is the CONFIG-key road's.
    std::vector<Step> steps;
    if (!seq.write) {
        steps = seq.road == Road::OrvPowerOn ? std::vector<Step>{{"power-on report", 0}, {"+++", 1}}
                : seq.road == Road::QxConfigKey ? std::vector<Step>{{"start answer at power-on", 0}}
                                                : std::vector<Step>{{"+++", 1}};
    }
    if (!seq.write && seq.road == Road::QxSoftDiagnosis) {
        return steps;
    }
    // On the CONFIG-key road the module starts in command mode: no "+++", so one reply less.
    const int shift = seq.road == Road::QxConfigKey ? 1 : 2;
    const std::size_t first = seq.write ? readCommands : 0;
    const std::size_t end = seq.write ? link.commands.size() : readCommands;
    const std::size_t rows =
        seq.family == FAMILY_ORV ? RadioSettings::kOrvProgramRows : RadioSettings::kQxProgramRows;
    const char* fields[] = {"channel", "frequency", "bandwidth", "direction"};
    for (std::size_t i = first; i < end; ++i) {
        std::string name = link.commands[i] == "\x1b" ? "ESC" : link.commands[i];
        if (name.back() == '\r') {
            name.pop_back();
        }
        // The write's commands 2 .. 4 * rows + 1 answer the channel prompts.
        const std::size_t answer = i - first - 2;
        if (seq.write && i >= first + 2 && answer < 4 * rows) {
            const std::size_t row = answer / 4;
            if (row != 0 && row != rows - 1) {
                continue;
            }
            name = "row " + std::to_string(row + 1) + " " + fields[answer % 4] + " " + name;
        }
        steps.push_back({name, static_cast<int>(i) + shift, true});
    }
    return steps;
}

struct FaultColumn {
    const char* name;
    SimStepFault fault;
};

inline const FaultColumn kFaults[] = {
    {"error", SimStepFault::Error},       {"silence", SimStepFault::Silence},
    {"noise", SimStepFault::Noise},       {"cut", SimStepFault::Cut},
    {"overlong", SimStepFault::Overlong}, {"vanish", SimStepFault::Vanish},
    {"skip", SimStepFault::SkipPrompt},   {"repeat", SimStepFault::RepeatPrompt},
    {"digit", SimStepFault::ChangeDigit},
};

// The answer to the channel-programming command's access code and to each row's fields carry a
// prompt; the radio's answer to a register write carries its value.
inline bool AnswersWithPrompt(const Step& step) {
    return step.name == "mord%ax" || step.name.starts_with("row ");
}
inline bool IsRegisterWrite(const Step& step) {
    return step.name.starts_with("ats");
}

// Whether the fault can strike at the step: the first six spoil any reply, the others need a
// prompt (a repeat also an answer to take back) or a register write.
inline bool Applies(const Step& step, SimStepFault fault) {
    switch (fault) {
    case SimStepFault::SkipPrompt:
        return AnswersWithPrompt(step);
    case SimStepFault::RepeatPrompt:
        return step.name.starts_with("row ");
    case SimStepFault::ChangeDigit:
        return IsRegisterWrite(step);
    default:
        return true;
    }
}

} // namespace FaultMatrix
