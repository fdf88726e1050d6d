#pragma once
// Why a read ended before the radio's settings were all taken in.

enum class ReadFailure {
    Garbled,         // a reply arrived whole but its value or listing bytes are not what the
                     // radio sends: noise on the line
    Refused,         // the radio answered a read command with "ERROR"
    KeepsRestarting, // the radio's start answer kept coming back in the middle of the read
};
