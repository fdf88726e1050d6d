#pragma once
// The message shown for a failed read, in the language chosen.

#include "exchange/ReadFailure.h"

#include <string>

// command is the read command concerned without its "\r", such as "ATS132?"; reply is what the
// radio sent, quoted (printable) when it was garbled.
std::string ReadFailureText(ReadFailure why, const std::string& command, const std::string& reply,
                            bool english);
