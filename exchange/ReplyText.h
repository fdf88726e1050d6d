#pragma once
// The radio's echo of what it was sent, found behind line noise, and received bytes made fit to
// be quoted in a message.

#include <cstddef>
#include <string>
#include <string_view>

namespace ReplyText {

// Where echo first appears in text as a whole, every byte in front of it being line noise: a
// byte in front that could belong to the echo rules that place out (a digit before the echo of a
// number makes it another number: "15" is no echo of "5"). npos when it appears nowhere so.
std::size_t FindEcho(std::string_view text, std::string_view echo);

// Whether text ends with echo, whatever noise comes before it (as FindEcho).
bool EndsWithEcho(std::string_view text, std::string_view echo);

// bytes as a message quotes them: printable ASCII as it is, a carriage return as "\r", a line
// feed as "\n", every other byte as "\xNN"; cut after maxChars characters with "..." added.
std::string Printable(std::string_view bytes, std::size_t maxChars = 60);

} // namespace ReplyText
