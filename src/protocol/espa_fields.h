#pragma once

#include <string>
#include <utility>
#include <vector>

namespace espa {

// Data fields of a block in the order they go out: identifier digit and value.
using EspaFields = std::vector<std::pair<char, std::string>>;

// The data part of a block: fields joined by RS, each identifier US value, ended by ETX.
std::string EncodeFields(const EspaFields& fields);
// The fields of a received block's data part (between STX and ETX); unknown bytes kept.
EspaFields DecodeFields(const std::string& data);
// SOH, header digit, STX, data with ETX, check character.
std::string FrameBlock(char header, const EspaFields& fields);

}  // namespace espa
