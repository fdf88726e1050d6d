#include "exchange/AnswerBounds.h"

#include "exchange/RadioExchange.h"
#include "exchange/ReplyBuffer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

namespace AnswerBounds {
namespace {

constexpr int kShortAnswerBytes = 128; // echo, a value line, "OK": far less in practice
constexpr int kSlowestBaud = 300;
constexpr int kBitsPerByte = 10;
constexpr int kMarginMs = CRadioExchange::kNoAnswerMs;

bool StartsWithNoCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() &&
           std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

} // namespace

int LongestAnswerBytes(std::string_view command) {
    if (StartsWithNoCase(command, "ATP0?")) {
        return ReplyBuffer::kCapacity;
    }
    if (command == "+++" || StartsWithNoCase(command, "AT")) {
        return kShortAnswerBytes;
    }
    return ReplyBuffer::kCapacity;
}

int LineTimeMs(int bytes, int baud) {
    const std::int64_t rate = baud > 0 ? baud : kSlowestBaud;
    const std::int64_t bits = static_cast<std::int64_t>(std::max(bytes, 0)) * kBitsPerByte;
    return static_cast<int>((bits * 1000 + rate - 1) / rate);
}

int AnswerBoundMs(std::string_view command, int baud, int holdMs, double waitScale) {
    const double nominalWait = static_cast<double>(std::max(holdMs, 0) + kMarginMs);
    const int wait = std::max(1, static_cast<int>(std::ceil(nominalWait * waitScale)));
    return wait + LineTimeMs(LongestAnswerBytes(command), baud);
}

} // namespace AnswerBounds
