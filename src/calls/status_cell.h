#pragma once

#include <string>

#include "core/rgb.h"

namespace espa {

// How the status cell of one grid row looks. A colour that is not given stands for the system
// colour named beside it.
struct StatusCell {
    std::string text;
    bool systemTextColour = true;  // else textColour
    Rgb textColour;
    bool systemBackground = true;  // button face; else background
    Rgb background;
    std::string toolTip;
    bool deletable = false;  // a double-click deletes the entry
};

inline constexpr const char* kDeleteEntryToolTip = "DoubleClick here to delete this entry.";

// The cell for a status word. An unknown non-empty word is first rewritten to "ERROR" in place, so
// that it counts as a final answer from then on.
StatusCell DescribeStatusCell(std::string& word);

}  // namespace espa
