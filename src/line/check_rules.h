#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/settings_record.h"
#include "line/line_chunk.h"

namespace espa {

// `body` is a block from the byte after SOH up to and including ETX.
std::uint8_t BlockCheck(std::string_view body);

// What the make's sender puts after ETX: the check, raised for a CommTechWireLess status
// transfer (which may make it unsendable).
int ExpectedCheck(std::string_view body, Side from, Emulation make);

// Whether the receiving make tests the check character of blocks from `from` at all.
bool ReceiverTestsCheck(Side from, Emulation make);

// Wrong ways of computing the check that centrals are built with again and again.
enum class CheckRule {
    SohIncluded,
    StxLeftOut,
    EtxLeftOut,
    SohIncludedStxLeftOut,  // the same value as EtxLeftOut: the two are named together
    Sum,
    SevenBits,
};

inline constexpr CheckRule kCheckRules[] = {
    CheckRule::SohIncluded,           CheckRule::StxLeftOut, CheckRule::EtxLeftOut,
    CheckRule::SohIncludedStxLeftOut, CheckRule::Sum,        CheckRule::SevenBits};

std::uint8_t CheckByRule(CheckRule rule, std::string_view body);
const char* CheckRuleName(CheckRule rule);

// The wrong rules that give `received` for this block.
std::vector<CheckRule> RulesGiving(std::string_view body, std::uint8_t received);

}  // namespace espa
