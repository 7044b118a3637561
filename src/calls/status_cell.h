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
};

inline constexpr const char* kDeleteEntryToolTip = "DoubleClick here to delete this entry.";

// The cell for a status word; an unknown non-empty word shows as "ERROR" (the engine has made it
// one before the view looks, see CallTable::MarkUnknownStatusWords).
StatusCell DescribeStatusCell(const std::string& word);

}  // namespace espa
