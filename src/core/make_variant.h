#pragma once

#include <cstdint>

#include "core/settings_record.h"

namespace espa {

// A CommTechWireLess paging system sends the check character of its status transfers raised by
// this much; a central that talks to one has to expect it.
inline constexpr std::int16_t kCommTechCheckOffset = 6;

// The MediCall paging system's own session time, in handler ticks of 25 ms: 60 s.
inline constexpr std::int16_t kMediCallTimeoutTicks = 2400;

// How a status transfer codes the operator's status choice.
enum class StatusCoding {
    ByChoice,     // QUEUE 2, PAGED 3, ABSENT 4, TERMINATED 5, the word recorded; else 5, logged
    DataCall,     // PAGED 2, TERMINATED 5, else 4; no word is recorded and nothing logged
    AlwaysPaged,  // 3 and PAGED, whatever the choice
};

// Everything in which one make of paging system behaves differently on the line, as one value:
// the handler and the status exchange read this instead of asking which make it is.
struct MakeVariant {
    // Received blocks are tested for their check character; when not, any block is taken.
    bool checksReceivedBlocks = true;
    // Status requests are answered with "1" NAK and a beep instead of being looked up.
    bool refusesStatusRequests = false;
    // A status transfer echoes the data identifiers 1 up to this one.
    int echoedIdentifiers = 6;
    // A poll with nothing to report is logged as a possible line check.
    bool logsLineCheck = true;
    // Each select arms a session timer of this many ticks that ends the session with EOT when it
    // runs out; 0 for none.
    std::int16_t sessionTimeoutTicks = 0;
    StatusCoding statusCoding = StatusCoding::ByChoice;
    // Added to the check character of each status transfer, as a 16-bit sum.
    std::int16_t transferCheckOffset = 0;

    bool operator==(const MakeVariant&) const = default;
};

// Philips and Ascom/Nira behave alike; so does any value outside the list (only a hand-edited
// espa.set gives one).
const MakeVariant& VariantFor(Emulation make);
// The variant of the make the settings choose, read afresh each time: the operator may change it.
const MakeVariant& VariantOf(const SettingsRecord& settings);

}  // namespace espa
