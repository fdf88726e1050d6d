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

// Both plans keep the radio's serial rate, so that a second attempt finds it where it was.
inline OrvWritePlan OrvPlan() {
    OrvWritePlan plan;
    for (int r = 0; r < RadioSettings::kOrvProgramRows; ++r) {
        const int channel = 4 * (r / 2) + r % 2;
        plan.program[static_cast<std::size_t>(r)] = {std::to_string(channel),
                                                     std::to_string(410000000 + 12500 * channel),
                                                     std::to_string(r % 3), std::to_string(r % 3)};
    }
    plan.protocol = 0;
    plan.modeIndex = 1;
    plan.address = "17";
    plan.closeAddress = 1;
    plan.currentChannel = 3;
    plan.portRateIndex = 7;
    return plan;
}

inline QxWritePlan QxPlan() {
    return SampleQxPlan(7);
}

// The steps of a sequence. Every reply of the read and of the write is a row, except that of
// the channel rows only the first and the last are: the rows between repeat the same four
// prompts.
inline std::vector<Step> Steps(const Sequence& seq) {
    CSimRadio radio(seq.family);
    CSimLink link(radio, seq.family);
    link.Escape(); // "+++" is reply 1, the read's first command reply 2
    const std::size_t readCommands = link.commands.size();
    if (seq.write) {
        if (seq.family == FAMILY_ORV) {
            link.Write(OrvPlan());
        } else {
            link.Write(QxPlan());
        }
    }
    // On the CONFIG-key road the module starts in command mode: no "+++", so one reply less.
    const int shift = seq.road == Road::QxConfigKey ? 1 : 2;
    std::vector<Step> steps;
    if (!seq.write) {
        if (seq.road == Road::OrvPowerOn) {
            steps.push_back({"power-on report", 0});
        }
        if (seq.road == Road::QxConfigKey) {
            steps.push_back({"start answer at power-on", 0});
        }
        if (seq.road != Road::QxConfigKey) {
            steps.push_back({"+++", 1});
        }
        if (seq.road == Road::QxSoftDiagnosis) {
            return steps; // the read after it is the CONFIG-key road's
        }
    }
    const std::size_t first = seq.write ? readCommands : 0;
    const std::size_t end = seq.write ? link.commands.size() : readCommands;
    const std::size_t rows =
        seq.family == FAMILY_ORV ? RadioSettings::kOrvProgramRows : RadioSettings::kQxProgramRows;
    const char* fields[] = {"channel", "frequency", "bandwidth", "direction"};
    for (std::size_t i = first; i < end; ++i) {
        std::string name = link.commands[i];
        if (!name.empty() && name.back() == '\r') {
            name.pop_back();
        }
        if (name == "\x1b") {
            name = "ESC";
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
};

} // namespace FaultMatrix
