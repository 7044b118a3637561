#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace espa {

class CallTable;
struct Frame;

// The line setting that explains bytes read with the eighth bit set: a central sending 7 bits with
// parity (or two stop bits) while we read 8 turns its select into B1 05 B2 05. Nothing unless every
// byte fits one setting and the seven bits left show a select, poll or block.
std::optional<std::string> SevenBitSettingFor(std::string_view bytes);

// IAC followed by WILL, WON'T, DO or DON'T and an option: what a telnet client sends first.
bool HasTelnetNegotiation(std::string_view bytes);

// Why a status request matched no call: which fields of the stored call with the same pager
// number differ, or that no call to that pager is stored.
std::string RequestMismatch(const Frame& request, const CallTable& table);

}  // namespace espa
