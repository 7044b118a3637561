#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/settings_record.h"
#include "line/frame.h"
#include "line/hint.h"

namespace espa {

// What --decode prints: each frame the line carried and each hint the doctor gave, one line each,
// as text or, with --json, as JSON objects that start like the engine's events.
class LineDecodePrinter {
  public:
    enum class Format { Text, Json };

    LineDecodePrinter(std::ostream& out, Format format) : m_out(out), m_format(format) {}

    // A lamp tick's frames, then its hints.
    void Print(const std::vector<Frame>& frames, const std::vector<Hint>& hints, Emulation make);
    void Print(const Frame& frame, Emulation make);
    void Print(const Hint& hint);

    static std::string HintLine(const Hint& hint);
    static std::string FrameJson(const Frame& frame);
    static std::string HintJson(const Hint& hint);
    static const char* Name(HintCause cause);

  private:
    std::ostream& m_out;
    Format m_format;
};

}  // namespace espa
