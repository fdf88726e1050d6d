#pragma once
// The message shown for a failed read, in the language chosen.

#include "exchange/ReadFailure.h"

#include <string>

// command is the read command concerned without its "\r", such as "ATS132?".
std::string ReadFailureText(ReadFailure why, const std::string& command, bool english);
