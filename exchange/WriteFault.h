#pragma once
// Why a write stopped before its save although the radio answered: it asked for another prompt
// than the one due, or echoed other than it was sent. Going on would type the rest of the table
// into the wrong fields or leave a register holding what nobody asked for.

#include <string>

struct WriteFault {
    enum class Kind { UnexpectedPrompt, WrongEcho } kind;
    std::string expected; // the prompt due / the text sent
    std::string received; // what came instead (printable)
};

// The message for a write that stopped so, in the language chosen. Prompts are named by what
// they ask (the channel number, the frequency, the bandwidth, the direction).
std::string WriteFaultText(const WriteFault& fault, bool english);

// The message for a save whose answer was not understood: the radio may have saved.
std::string SaveUnconfirmedText(bool english);
