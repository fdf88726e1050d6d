#include "exchange/ReplyText.h"

#include <cstdio>

namespace ReplyText {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A digit in front of a number's echo would have been part of it.
bool NoiseInFront(std::string_view text, std::size_t at, std::string_view echo) {
    return at == 0 || echo.empty() || !IsDigit(echo.front()) || !IsDigit(text[at - 1]);
}

} // namespace

std::size_t FindEcho(std::string_view text, std::string_view echo) {
    for (std::size_t at = text.find(echo); at != std::string_view::npos;
         at = text.find(echo, at + 1)) {
        if (NoiseInFront(text, at, echo)) {
            return at;
        }
    }
    return std::string_view::npos;
}

bool EndsWithEcho(std::string_view text, std::string_view echo) {
    return text.ends_with(echo) && NoiseInFront(text, text.size() - echo.size(), echo);
}

std::string Printable(std::string_view bytes, std::size_t maxChars) {
    std::string out;
    for (const char c : bytes) {
        if (out.size() >= maxChars) {
            return out + "...";
        }
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b <= 0x7E) {
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        }
    }
    return out;
}

} // namespace ReplyText
