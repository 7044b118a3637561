#include "calls/status_cell.h"

#include "calls/call_table.h"

namespace espa {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kDarkBlue{0, 0, 192};
constexpr Rgb kDarkRed{192, 0, 0};
constexpr Rgb kYellow{255, 255, 0};

StatusCell Coloured(const std::string& text, bool whiteText, Rgb background) {
    StatusCell cell;
    cell.text = text;
    cell.systemTextColour = !whiteText;
    if (whiteText) {
        cell.textColour = kWhite;
    }
    cell.systemBackground = false;
    cell.background = background;
    cell.toolTip = kDeleteEntryToolTip;
    return cell;
}

}  // namespace

StatusCell DescribeStatusCell(const std::string& word) {
    if (word == kStatusNew || word.empty()) {
        return StatusCell{};
    }
    if (word == kStatusPaged) {
        return Coloured(word, true, kDarkBlue);
    }
    if (word == kStatusAbsent || word == kStatusTerminated) {
        return Coloured(word, true, kDarkRed);
    }
    if (word == kStatusQueue) {
        return Coloured(word, false, kYellow);
    }
    // ERROR, or a word the program never writes: an error, in the system colours, and not offered
    // for deletion.
    StatusCell cell;
    cell.text = kStatusError;
    return cell;
}

}  // namespace espa
