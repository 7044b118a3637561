#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace espa {

// 8-bit line text as UTF-8, each byte standing for the Latin-1 character of its code: what JSON
// and the CSV files hold.
std::string Utf8FromLatin1(std::string_view bytes);

// The way back, for texts read from JSON: nothing when the text is not UTF-8 or holds a character
// past U+00FF, which no 8-bit line can carry.
std::optional<std::string> Latin1FromUtf8(std::string_view utf8);

}  // namespace espa
