#include "exchange/ReplyBuffer.h"

#include <algorithm>

void ReplyBuffer::Reset() {
    count = 0;
    bytes.fill(0);
    text.clear(); // keeps its capacity: the next reply is assembled without reallocating
}

bool ReplyBuffer::Append(unsigned char byte) {
    if (count >= kCapacity) {
        return false;
    }
    bytes[static_cast<std::size_t>(count)] = byte;
    ++count;
    text.push_back(static_cast<char>(byte));
    return true;
}
