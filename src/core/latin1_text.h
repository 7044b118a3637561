#pragma once

#include <string>
#include <string_view>

namespace espa {

// 8-bit line text as UTF-8, each byte standing for the Latin-1 character of its code: what JSON
// and the CSV files hold.
std::string Utf8FromLatin1(std::string_view bytes);

}  // namespace espa
