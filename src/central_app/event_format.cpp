#include "event_format.h"

#include "common/json_text.h"
#include "log/line_trace.h"

namespace espa {

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

std::string EventJson(const CentralEvent& event, int elapsedMs) {
    Json line;
    line["event"] = EventName(event.kind);
    Json& fields = line["fields"] = Json::object();
    // A repeated identifier keeps its first value, as the paging system itself reads a block;
    // JSON readers disagree about repeated keys.
    for (const auto& [identifier, value] : event.fields) {
        const std::string key = Utf8FromLatin1(std::string_view(&identifier, 1));
        if (!fields.contains(key)) {
            fields[key] = Latin1Json(value);
        }
    }
    if (!event.detail.empty()) {
        line["detail"] = Latin1Json(event.detail);
    }
    line["ms"] = elapsedMs;
    return JsonText(line);
}

namespace {

std::string DetailText(const CentralEvent& event) {
    const std::string& detail = event.detail;
    if (detail.empty()) {
        return {};
    }
    switch (event.kind) {
        case CentralEvent::Kind::NoAnswer:
            return " (nothing came while waiting for the " + detail + ')';
        case CentralEvent::Kind::Retry:
            return " (nothing came while waiting for the " + detail + "; trying again)";
        case CentralEvent::Kind::Resent:
            return " (" + detail + ')';
        case CentralEvent::Kind::StatusTimeout:
            return ' ' + detail;
        default:
            return " received [" + VisibleText(detail) + ']';
    }
}

}  // namespace

std::string EventText(const CentralEvent& event) {
    std::string parts;
    for (const auto& [identifier, value] : event.fields) {
        parts += ' ' + FieldName(identifier) + " [" + VisibleText(value) + ']';
    }
    parts += DetailText(event);
    const std::string name = EventName(event.kind);
    return parts.empty() ? name : name + ':' + parts;
}

}  // namespace espa
