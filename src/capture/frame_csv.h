#pragma once

#include <string>
#include <string_view>

#include "core/latin1_text.h"
#include "core/settings_record.h"
#include "line/frame.h"

namespace espa {

// Decoded frames as CSV (RFC 4180: comma-separated, CRLF line ends, a field with a comma, a quote
// or a line break in quotes with its quotes doubled), one row per frame under one header row:
//
//     time,direction,kind,content,check,gap_ms,raw_hex
//     00:00:01.250,C->P,block,"call 1234 ""Ward 3"", check right",right,35,01 31 02 ...
//
// The text is UTF-8 and the file starts with a byte order mark: that is what Excel and LibreOffice
// both open with é and ü intact, where Latin-1 bytes turn into other letters in one or the
// other. Control bytes are named as on the screen ("[SOH]") and raw_hex keeps every byte exactly.
// time is the time of day of the first byte (UTC when the stamps are wall-clock time); gap_ms the
// whole milliseconds since the frame before it, empty for the first; check is right, wrong or
// missing for blocks and empty otherwise.

// The byte order mark and the header row: the start of every file.
std::string FrameCsvStart();
std::string FrameCsvRow(const Frame& frame, Emulation make);

// One field as RFC 4180 wants it.
std::string CsvField(std::string_view text);

}  // namespace espa
