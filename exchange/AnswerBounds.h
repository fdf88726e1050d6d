#pragma once
// How long the whole answer to one command may take. The silence rule alone never gives up on
// a line that keeps delivering a byte now and then; this bound does.

#include <string_view>

namespace AnswerBounds {

// Bytes of the longest answer command can draw. The channel listing may fill the reply buffer
// (a longer reply is refused anyway); other AT commands and the escape sequence are answered
// with a few short lines; what is typed at the radio's prompts is bounded by the reply buffer.
int LongestAnswerBytes(std::string_view command);

// Milliseconds that bytes take at baud with 10 bits a byte (start bit, 8 data bits, stop bit),
// rounded up. A rate of 0 or less is taken as the slowest rate a radio is searched at.
int LineTimeMs(int bytes, int baud);

// The whole answer to command must be in within this many milliseconds of the command being
// handed to the port: its longest answer at the line rate, plus holdMs before the command goes
// out, plus a margin as long as the silence rule (a radio may think that long before its first
// byte). waitScale scales the hold and the margin as every fixed wait is scaled; the line time
// is how long the bytes take on the wire and is never scaled.
int AnswerBoundMs(std::string_view command, int baud, int holdMs, double waitScale = 1.0);

} // namespace AnswerBounds
