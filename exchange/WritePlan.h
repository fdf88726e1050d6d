#pragma once
// What a write is given. Set prepares one of these from its settings page (the command-line
// client from a settings document) and hands it to CRadioExchange::StartWrite; the write
// sequence reads nothing else, so it never reaches into a page while it runs.
//
// Program rows are in answer form, exactly what is typed at the radio's prompts:
//   channel   decimal channel number "0".."63"
//   frequency whole hertz, "%ld" ("433125000"); "0" deletes the channel
//   bandwidth "0" = 6.25 kHz, "1" = 12.5 kHz, "2" = 25 kHz
//   direction "0" = Rx, "1" = Tx, "2" = Rx&Tx
// Page indexes are those of the page's lists with the current-setting mark "*" already resolved
// (a "*text" looked up among the items, first equal item, else 0). -1 means "nothing selected":
// CheckWritePlan refuses such a plan before anything is sent.

#include "exchange/RadioSettings.h"

#include <array>
#include <string>
#include <vector>

// ORV: 32 channel rows, the mode preset, then S105, S190, S131, S132, S191, S192, S102, S108 (only
// when asked for below) and the save.
struct OrvWritePlan {
    // In the order the radio's channel prompts are answered: rows 2r and 2r + 1 are the radio's
    // channels 4r and 4r + 1 (normal layout) or 4r + 2 and 4r + 3 (repeater layout), r = 0..15.
    std::array<ChannelEntry, RadioSettings::kOrvProgramRows> program{};

    // The protocol button, 0..4 (BMK transparent, Trimtalk450S, Satel 3AS, QZ transparent,
    // BMK FST), and the index of the mode in that protocol's mode list: together they choose
    // the factory preset (OrvPresetCommand).
    int protocol = -1;
    int modeIndex = -1;

    std::string address;    // S105, the address text as typed (decimal)
    int closeAddress = 0;   // S190, the close-address box: 0 clear, 1 checked
    int currentChannel = 0; // slot n, 1..16: S131, S132, S191, S192 = 4n-4, 4n-3, 4n-2, 4n-1
                            // (S192 = 61 for n = 16)
    int portRateIndex = -1; // item of the port-rate list, 0..8 ("230400" .. "4800");
                            // written to S102 as the code, item 8 as 9

    // S108 is written only when the QX page's power was edited during this run and that page
    // still exists; the preparer decides, the write only follows.
    bool writePower = false;
    int qxPowerIndex = 0; // the QX page's power index; S108 = index + 20
};

// QX: 64 channel rows, the preset, fourteen registers and the save. The register values are the
// QX page's list indexes, written as they are except S108 (power index + 20) and S110 (data
// format index + 1).
struct QxWritePlan {
    std::array<ChannelEntry, RadioSettings::kQxProgramRows> program{}; // row = channel number

    int protocolIndex = -1;   // S186; chooses the preset (QxPresetCommand)
    int workModeIndex = -1;   // S101; the Trimtalk preset
    int modulationIndex = -1; // S127
    int airRateIndex = -1;    // S103; the Satel preset
    int bandwidthIndex = -1;  // S125; the Satel preset
    int s141 = 0;             // S141 as read from the radio: the transparent protocol's preset
                              // (0: "AT&F51\r", 1: "AT&F52\r"); never written

    int unitAddress = -1;     // S105
    int mainTxIndex = -1;     // S131
    int mainRxIndex = -1;     // S132
    int repeaterTxIndex = -1; // S191
    int repeaterRxIndex = -1; // S192
    int powerIndex = -1;      // S108 = index + 20
    int fecIndex = -1;        // S158
    int portRateIndex = -1;   // S102
    int dataFormatIndex = -1; // S110 = index + 1
};

// Why a plan cannot be written. Nothing is sent for a plan with any problem.
enum class WritePlanFault {
    ProgramRow, // detail: the row whose answer texts the radio's prompts would not take
    NoPreset,   // no preset is listed for this protocol and mode (ORV) or page state (QX)
    PortRate,   // ORV: the port-rate item names no rate
    Register,   // detail: the register whose value is missing or not a plain number
};

struct WritePlanProblem {
    WritePlanFault fault;
    int detail = 0;

    bool operator==(const WritePlanProblem&) const = default;
};

// Every problem of the plan, in row order, then the preset, then the registers in the order they
// are written. Empty: the plan can be written.
std::vector<WritePlanProblem> CheckWritePlan(const OrvWritePlan& plan);
std::vector<WritePlanProblem> CheckWritePlan(const QxWritePlan& plan);

// The factory preset a plan chooses ("AT&F53\r"), or "" when none is listed.
std::string OrvPresetCommand(int protocol, int modeIndex);
std::string QxPresetCommand(const QxWritePlan& plan);
