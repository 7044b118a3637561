#pragma once

#include <string>
#include <string_view>

#include "central/central_session.h"
#include "log/line_trace.h"  // VisibleText

namespace espa {

// The name an identifier goes by in reports, the same word as its command-line option:
// "address", "text", "beep", "type", "tx", "priority", "status"; "field N" for the others.
std::string FieldName(char identifier);

// One JSON object on one line (no newline): the event's name, its fields keyed by identifier
// digit, the detail when there is one, and the milliseconds since the start. Line text is read as
// Latin-1 and every escape is written \u00XX in capitals, so the line is plain ASCII.
std::string EventJson(const CentralEvent& event, int elapsedMs);

// One line for a person: "status-transfer: address [1001] text [Ward 3] status [3]"; the
// received bytes, the awaited answer or how a block was resent follow where the event has them;
// just the name when the event carries nothing ("poll-empty").
std::string EventText(const CentralEvent& event);

}  // namespace espa
