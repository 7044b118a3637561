#include "line/check_rules.h"

#include "core/control_chars.h"
#include "core/make_variant.h"

namespace espa {

std::uint8_t BlockCheck(std::string_view body) {
    std::uint8_t check = 0;
    for (const char c : body) {
        check ^= static_cast<std::uint8_t>(c);
    }
    return check;
}

int ExpectedCheck(std::string_view body, Side from, Emulation make) {
    const int check = BlockCheck(body);
    const bool transfer = !body.empty() && body.front() == '2';
    return from == Side::PagingSystem && transfer ? check + VariantFor(make).transferCheckOffset
                                                  : check;
}

bool ReceiverTestsCheck(Side from, Emulation make) {
    return from == Side::PagingSystem || VariantFor(make).checksReceivedBlocks;
}

std::uint8_t CheckByRule(CheckRule rule, std::string_view body) {
    std::uint8_t value = 0;
    for (const char c : body) {
        const auto byte = static_cast<std::uint8_t>(c);
        if ((c == STX &&
             (rule == CheckRule::StxLeftOut || rule == CheckRule::SohIncludedStxLeftOut)) ||
            (c == ETX && rule == CheckRule::EtxLeftOut)) {
            continue;
        }
        value = rule == CheckRule::Sum ? static_cast<std::uint8_t>(value + byte) : value ^ byte;
    }
    if (rule == CheckRule::SohIncluded || rule == CheckRule::SohIncludedStxLeftOut) {
        value ^= static_cast<std::uint8_t>(SOH);
    }
    return rule == CheckRule::SevenBits ? value & 0x7F : value;
}

const char* CheckRuleName(CheckRule rule) {
    switch (rule) {
        case CheckRule::SohIncluded:
            return "SOH included";
        case CheckRule::StxLeftOut:
            return "STX left out";
        case CheckRule::EtxLeftOut:
            return "ETX left out";
        case CheckRule::SohIncludedStxLeftOut:
            return "SOH included and STX left out";
        case CheckRule::Sum:
            return "a sum instead of exclusive-or";
        case CheckRule::SevenBits:
            return "seven bits only";
    }
    return "";
}

std::vector<CheckRule> RulesGiving(std::string_view body, std::uint8_t received) {
    std::vector<CheckRule> rules;
    const std::uint8_t right = BlockCheck(body);
    for (const CheckRule rule : kCheckRules) {
        const std::uint8_t value = CheckByRule(rule, body);
        // A rule that gives the right value for this block cannot tell it from the right rule.
        if (value == received && value != right) {
            rules.push_back(rule);
        }
    }
    return rules;
}

}  // namespace espa
