#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/latin1_text.h"

namespace espa {

// A JSON value whose objects keep their members in the order added: every line a program writes
// starts with "event".
using Json = nlohmann::ordered_json;

inline Json Latin1Json(std::string_view bytes) {
    return Json(Utf8FromLatin1(bytes));
}

// `value` on one line, without the line end, in plain ASCII: control characters, DEL and every
// character past ASCII are escaped, with JSON's short forms (\n, \t) where there is one, else as
// \u00e9 in small letters.
std::string JsonText(const Json& value);

}  // namespace espa
