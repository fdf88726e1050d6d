#pragma once
// The bytes received since the last reset, as raw bytes and as text.

#include <array>
#include <string>

class ReplyBuffer {
public:
    static constexpr int kCapacity = 4096;

    std::array<unsigned char, kCapacity> bytes{};
    int count = 0;
    std::string text;

    // Empties the buffer: count 0, all bytes zero, text empty.
    void Reset();

    // Appends one byte to bytes and text. Returns false, and changes nothing, when the buffer is
    // full: the caller rejects the reply that would outgrow it.
    bool Append(unsigned char byte);
};
