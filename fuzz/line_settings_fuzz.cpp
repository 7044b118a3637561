// Line settings texts ("9600,N,8,1") as a hand-edited configuration or a caller might give them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/line_settings.h"

namespace {

std::string Text(const espa::LineSettings& line) {
    static constexpr const char* kParity[] = {"N", "E", "O", "M", "S"};
    static constexpr const char* kStopBits[] = {"1", "1.5", "2"};
    return std::to_string(line.baud) + ',' + kParity[static_cast<int>(line.parity)] + ',' +
           std::to_string(line.dataBits) + ',' + kStopBits[static_cast<int>(line.stopBits)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto line = espa::ParseLineSettings(text);
    if (!line) {
        return 0;
    }
    // What is taken is in range, made of nothing but digits, letters, dots and three commas, and
    // reads back the same from its own plain form.
    std::size_t commas = 0;
    for (const char c : text) {
        commas += c == ',';
        const bool plain = (c >= '0' && c <= '9') || c == ',' || c == '.' ||
                           std::string_view("NEOMSneoms").find(c) != std::string_view::npos;
        if (!plain) {
            __builtin_trap();
        }
    }
    if (commas != 3 || line->baud <= 0 || line->dataBits < 5 || line->dataBits > 8 ||
        espa::ParseLineSettings(Text(*line)) != line) {
        __builtin_trap();
    }
    return 0;
}
