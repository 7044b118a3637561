#include "line/doctor_patterns.h"

#include <array>
#include <bitset>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "line/frame.h"

namespace espa {
namespace {

bool OddOnes(unsigned char low7) {
    return std::bitset<7>(low7).count() % 2 == 1;
}

bool ShowsFrame(const std::string& seven) {
    for (std::size_t i = 0; i + 1 < seven.size(); ++i) {
        if (seven[i] >= '1' && seven[i] <= '2' && seven[i + 1] == ENQ) {
            return true;
        }
    }
    return seven.find(SOH) != std::string::npos && seven.find(ETX) != std::string::npos;
}

}  // namespace

std::optional<std::string> SevenBitSettingFor(std::string_view bytes) {
    struct Setting {
        const char* text;
        bool (*eighthBit)(unsigned char low7);
    };
    // Mark last: with every eighth bit set, a byte whose seven bits hold an odd number of ones
    // fits even parity too, so the parities are tried first and need a byte that tells them apart.
    static constexpr std::array<Setting, 3> kSettings{{
        {"7 bits, even parity", [](unsigned char low7) { return OddOnes(low7); }},
        {"7 bits, odd parity", [](unsigned char low7) { return !OddOnes(low7); }},
        {"7 bits, 2 stop bits", [](unsigned char) { return true; }},
    }};
    std::string seven;
    bool eighthSeen = false;
    for (const char c : bytes) {
        seven += static_cast<char>(c & 0x7F);
        eighthSeen = eighthSeen || (c & 0x80) != 0;
    }
    if (!eighthSeen || !ShowsFrame(seven)) {
        return std::nullopt;
    }
    for (const Setting& setting : kSettings) {
        bool fits = true;
        for (std::size_t i = 0; i < bytes.size() && fits; ++i) {
            const bool eighth = (bytes[i] & 0x80) != 0;
            fits = eighth == setting.eighthBit(static_cast<unsigned char>(seven[i]));
        }
        if (fits) {
            return setting.text;
        }
    }
    return std::nullopt;
}

bool HasTelnetNegotiation(std::string_view bytes) {
    for (std::size_t i = 0; i + 2 < bytes.size(); ++i) {
        const auto verb = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && verb >= 0xFB && verb <= 0xFE) {
            return true;
        }
    }
    return false;
}

std::string RequestMismatch(const Frame& request, const CallTable& table) {
    static constexpr std::array<const char*, 6> kNames{
        "pager number", "text", "beep code", "call type", "number of transmissions", "priority"};
    const std::string pager = request.Field('1');
    std::string best;
    std::size_t fewest = kNames.size() + 1;
    for (int p = 0; p < CallTable::kPositions; ++p) {
        const CallPosition& call = table[p];
        if (call.IsFree() || call.Adres != pager) {
            continue;
        }
        const std::array<const std::string*, 6> stored{
            &call.Adres, &call.Info, &call.Bleep, &call.CallType, &call.NrOfTx, &call.Priority};
        std::string differs;
        std::size_t count = 0;
        for (std::size_t i = 1; i < kNames.size(); ++i) {
            if (*stored[i] != request.Field(static_cast<char>('1' + i))) {
                differs += std::string(count++ ? ", " : "") + kNames[i];
            }
        }
        if (count < fewest) {
            fewest = count;
            best = differs;
        }
    }
    if (fewest > kNames.size()) {
        return "no call to pager " + pager + " is stored (expired, deleted or never accepted)";
    }
    if (fewest == 0) {
        return "the call to pager " + pager + " is stored with the same fields";
    }
    return "the stored call to pager " + pager + " differs in " + best +
           ": a status request must repeat every field of the call";
}

}  // namespace espa
