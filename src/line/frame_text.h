#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings_record.h"
#include "line/frame.h"

namespace espa {

// Line bytes for people: control bytes by name ("[SOH]"), the C1 range in hex ("[0x85]"), every
// other byte as it is, so the text stays Latin-1 like the line.
std::string ByteText(std::string_view bytes);
// "01 31 02": evidence for someone holding a line analyser's printout.
std::string HexBytes(std::string_view bytes);

// "paged", "queue", ... for a status code of the make's status transfers; empty when unknown.
std::string StatusCodeName(const std::string& code, Emulation make);

// "00:00:01.250": the time of day of a stamp, taken modulo one day, so a wall clock stamp (UTC)
// or a run's elapsed time both read naturally.
std::string TimeOfDayText(std::int64_t timeUs);

// The frame in words: `call 1234 "Ward 3 bed 2" beep 2 priority 1, check right`.
std::string FrameContent(const Frame& frame, Emulation make);
// The same without the check verdict, for a table that gives the verdict a column of its own.
std::string FrameWords(const Frame& frame, Emulation make);
// A block's check: "right", "wrong 0x41, expected 0x42", "missing, expected 0x42".
std::string CheckVerdictText(const Frame& block);
// One line: `00:00:01.250 C->P call 1234 "Ward 3", check right, after 35 ms`.
std::string FrameLine(const Frame& frame, Emulation make);

// One word for a frame's kind and a block's check ("select", "ack", "block"; "right", "wrong",
// "missing"; empty for a frame that is no block), for files and objects that programs read, and
// the words data/espa.lua shows.
const char* FrameKindWord(FrameKind kind);
const char* CheckWord(const Frame& frame);

}  // namespace espa
