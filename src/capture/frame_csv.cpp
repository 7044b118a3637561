#include "capture/frame_csv.h"

#include "line/frame_text.h"

namespace espa {

std::string FrameCsvStart() {
    return "\xEF\xBB\xBFtime,direction,kind,content,check,gap_ms,raw_hex\r\n";
}

std::string FrameCsvRow(const Frame& frame, Emulation make) {
    const std::string fields[] = {
        TimeOfDayText(frame.timeUs),
        frame.side == Side::Central ? "C->P" : "P->C",
        FrameKindWord(frame.kind),
        Utf8FromLatin1(FrameContent(frame, make)),
        CheckWord(frame),
        frame.gapUs ? std::to_string(*frame.gapUs / 1000) : "",
        HexBytes(frame.raw),
    };
    std::string row;
    for (const std::string& field : fields) {
        row += CsvField(field) + ",";
    }
    row.back() = '\r';
    return row + "\n";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c == '"' ? "\"\"" : std::string(1, c);
    }
    return out + "\"";
}

}  // namespace espa
