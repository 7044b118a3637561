#include "core/num_text.h"

namespace espa {

std::string NumToText(std::int16_t value) {
    return SignedNumText(value).substr(1);
}

std::string SignedNumText(std::int16_t value) {
    const int v = value;
    return v < 0 ? std::to_string(v) : " " + std::to_string(v);
}

}  // namespace espa
