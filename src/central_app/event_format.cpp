#include "event_format.h"

#include <set>

#include "log/line_trace.h"

namespace espa {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

std::string FieldName(char identifier) {
    switch (identifier) {
        case '1':
            return "address";
        case '2':
            return "text";
        case '3':
            return "beep";
        case '4':
            return "type";
        case '5':
            return "tx";
        case '6':
            return "priority";
        case '7':
            return "status";
    }
    return "field " + VisibleText(std::string_view(&identifier, 1));
}

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\u00";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string EventJson(const CentralEvent& event, int elapsedMs) {
    std::string out = "{\"event\":" + JsonString(EventName(event.kind)) + ",\"fields\":{";
    // A repeated identifier keeps its first value, as the paging system itself reads a block;
    // JSON readers disagree about repeated keys.
    std::set<char> seen;
    for (const auto& [identifier, value] : event.fields) {
        if (!seen.insert(identifier).second) {
            continue;
        }
        if (seen.size() > 1) {
            out += ',';
        }
        out += JsonString(std::string_view(&identifier, 1)) + ':' + JsonString(value);
    }
    out += '}';
    if (!event.detail.empty()) {
        out += ",\"detail\":" + JsonString(event.detail);
    }
    return out + ",\"ms\":" + std::to_string(elapsedMs) + '}';
}

std::string EventText(const CentralEvent& event) {
    std::string parts;
    for (const auto& [identifier, value] : event.fields) {
        parts += ' ' + FieldName(identifier) + " [" + VisibleText(value) + ']';
    }
    if (event.kind == CentralEvent::Kind::NoAnswer && !event.detail.empty()) {
        parts += " (nothing came while waiting for the " + event.detail + ')';
    } else if (!event.detail.empty()) {
        parts += " received [" + VisibleText(event.detail) + ']';
    }
    const std::string name = EventName(event.kind);
    return parts.empty() ? name : name + ':' + parts;
}

}  // namespace espa
