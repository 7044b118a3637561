#include "line_decode.h"

#include <QDateTime>

#include "common/json_text.h"
#include "json_events.h"
#include "line/frame_text.h"

namespace espa {
namespace {

// Stamps are UTC microseconds; the other events' times are local, so these are too.
Json Begin(const char* event, std::int64_t timeUs) {
    return EventObject(event, QDateTime::fromMSecsSinceEpoch(timeUs / 1000).toLocalTime());
}

}  // namespace

const char* LineDecodePrinter::Name(HintCause cause) {
    switch (cause) {
        case HintCause::CheckRule:
            return "check_rule";
        case HintCause::LineSettings:
            return "line_settings";
        case HintCause::SilentLine:
            return "silent_line";
        case HintCause::Echo:
            return "echo";
        case HintCause::OtherAddress:
            return "other_address";
        case HintCause::BytesAfterCheck:
            return "bytes_after_check";
        case HintCause::TelnetNegotiation:
            return "telnet_negotiation";
        case HintCause::RequestUnmatched:
            return "request_unmatched";
        case HintCause::NoPoll:
            return "no_poll";
        case HintCause::CtsInactive:
            return "cts_inactive";
    }
    return "unknown";
}

std::string LineDecodePrinter::HintLine(const Hint& hint) {
    std::string line = "HINT: " + hint.text;
    if (!hint.evidence.empty()) {
        line += " [" + HexBytes(hint.evidence) + "]";
    }
    return line;
}

std::string LineDecodePrinter::FrameJson(const Frame& frame) {
    Json line = Begin("frame", frame.timeUs);
    line["direction"] = frame.side == Side::Central ? "C->P" : "P->C";
    line["kind"] = FrameKindWord(frame.kind);
    line["bytes"] = HexBytes(frame.raw);
    if (frame.kind == FrameKind::Block) {
        line["type"] = Latin1Json(std::string(1, frame.header));
        Json fields = Json::array();
        for (const BlockField& field : frame.fields) {
            fields.push_back(
                {{"id", Latin1Json(std::string(1, field.id))}, {"value", Latin1Json(field.value)}});
        }
        line["fields"] = fields;
        line["check"] = CheckWord(frame);
    }
    line["gap_ms"] = frame.gapUs ? Json(*frame.gapUs / 1000) : Json(nullptr);
    return JsonText(line);
}

std::string LineDecodePrinter::HintJson(const Hint& hint) {
    Json line = Begin("hint", hint.timeUs);
    line["cause"] = Name(hint.cause);
    line["text"] = Latin1Json(hint.text);
    line["evidence"] = HexBytes(hint.evidence);
    return JsonText(line);
}

void LineDecodePrinter::Print(const std::vector<Frame>& frames, const std::vector<Hint>& hints,
                              Emulation make) {
    for (const Frame& frame : frames) {
        Print(frame, make);
    }
    for (const Hint& hint : hints) {
        Print(hint);
    }
    m_out << std::flush;
}

void LineDecodePrinter::Print(const Frame& frame, Emulation make) {
    m_out << (m_format == Format::Json ? FrameJson(frame) : FrameLine(frame, make)) << '\n';
}

void LineDecodePrinter::Print(const Hint& hint) {
    m_out << (m_format == Format::Json ? HintJson(hint) : HintLine(hint)) << '\n';
}

}  // namespace espa
