#pragma once

#include <cstdint>
#include <string>

namespace espa {

// Decimal text of a 16-bit value without the sign position: 19200 gives "19200", -1 gives "1".
std::string NumToText(std::int16_t value);

// The standard number-to-text form: a blank before a value of 0 or more, a minus before a
// negative one (" 1", "-1"). Some log lines keep that blank.
std::string SignedNumText(std::int16_t value);

}  // namespace espa
