#pragma once

#include <string>
#include <string_view>

#include "central/central_session.h"
#include "log/line_trace.h"  // VisibleText

namespace espa {

// The name an identifier goes by in reports, the same word as its command-line option:
// "address", "text", "beep", "type", "tx", "priority", "status"; "field N" for the others.
std::string FieldName(char identifier);

// A JSON string literal, quotes included. Line text is 8-bit: every byte stands for the Latin-1
// character of that code, so 0x80..0xFF come out as \u0080..\u00FF and the result is plain ASCII.
std::string JsonString(std::string_view bytes);

// One JSON object on one line (no newline): the event's name, its fields keyed by identifier
// digit, the detail when there is one, and the milliseconds since the start.
std::string EventJson(const CentralEvent& event, int elapsedMs);

// One line for a person: "status-transfer: address [1001] text [Ward 3] status [3]"; the
// received bytes or the awaited answer follow where the event has them; just the name when the
// event carries nothing ("poll-empty").
std::string EventText(const CentralEvent& event);

}  // namespace espa
