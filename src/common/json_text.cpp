#include "common/json_text.h"

#include <cctype>

namespace espa {
namespace {

constexpr char kCapitalHex[] = "0123456789ABCDEF";

char ShortEscaped(char letter) {
    switch (letter) {
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
    }
    return '\0';
}

// Rewrites the escapes of a dumped line: it is plain ASCII, and a backslash in it only ever
// starts an escape, so walking escape by escape never mistakes a character of the text for one.
std::string WithCapitalHex(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char kind = text[++i];
        if (kind == 'u' && i + 4 < text.size()) {
            out += "\\u";
            for (int digit = 1; digit <= 4; ++digit) {
                out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + digit])));
            }
            i += 4;
        } else if (const char code = ShortEscaped(kind); code != '\0') {
            out += "\\u00";
            out += kCapitalHex[code >> 4];
            out += kCapitalHex[code & 0x0F];
        } else {
            out += '\\';
            out += kind;
        }
    }
    return out;
}

}  // namespace

std::string Utf8FromLatin1(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// ensure_ascii escapes everything from DEL up as \u00XX; below the space nlohmann uses the short
// forms where JSON has them and \u00XX otherwise.
std::string JsonText(const Json& value, JsonEscapes escapes) {
    const std::string text = value.dump(-1, ' ', true);
    return escapes == JsonEscapes::Short ? text : WithCapitalHex(text);
}

}  // namespace espa
