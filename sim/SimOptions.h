#pragma once
// The command line of orvconf-sim.

#include "sim/SimFaults.h"

#include <QString>
#include <QStringList>

struct SimOptions {
    int family = -1;
    int baud = 0; // 0: the rate the saved settings give
    QString statePath;
    QString logPath;
    int announceDelayMs = 1000;
    bool manualPower = false;
    bool pace = true;
    SimFaults faults;
};

enum class SimOptionsResult { Run, Help, Error };

// Parses arguments (the program name first). Help: message holds the help text; Error: message
// says what is wrong.
SimOptionsResult ParseSimOptions(const QStringList& arguments, SimOptions* options,
                                 QString* message);
