#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace espa {

// A JSON value whose objects keep their members in the order added: every line a program writes
// starts with "event".
using Json = nlohmann::ordered_json;

// 8-bit line text as UTF-8, each byte standing for the Latin-1 character of its code: what
// nlohmann/json holds, for keys and values alike.
std::string Utf8FromLatin1(std::string_view bytes);
inline Json Latin1Json(std::string_view bytes) {
    return Json(Utf8FromLatin1(bytes));
}

// How a line writes what it escapes beyond quotes and backslashes: control characters, DEL and
// every character past ASCII, so that the line is plain ASCII whatever the text held.
enum class JsonEscapes {
    // JSON's short forms (\n, \t, \b, \f, \r) where there is one, else \u00e9 in small letters.
    Short,
    // Always \u00XX with capital hex digits: the form espa-central's lines have always had.
    CapitalHex,
};

// `value` on one line, without the line end.
std::string JsonText(const Json& value, JsonEscapes escapes = JsonEscapes::Short);

}  // namespace espa
