// Any bytes as a capture file, read whole and cut at a point the last byte chooses: neither may
// crash, and the cut file gives back the first records of the whole one, as a capture cut short by
// a killed program must.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "capture/capture_reader.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

std::vector<espa::LineChunk> ReadAll(std::string_view bytes) {
    espa::CaptureReader reader;
    const espa::CaptureError opened = reader.OpenBytes(bytes);
    std::vector<espa::LineChunk> chunks;
    while (std::optional<espa::LineChunk> chunk = reader.Next()) {
        Check(!opened);
        chunks.push_back(std::move(*chunk));
    }
    Check(!reader.Error() || !reader.Error()->empty());
    return chunks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<espa::LineChunk> whole = ReadAll(bytes);
    const std::size_t cut = size == 0 ? 0 : data[size - 1] * size / 256;
    const std::vector<espa::LineChunk> part = ReadAll(bytes.substr(0, cut));
    Check(part.size() <= whole.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
        Check(part[i] == whole[i]);
    }
    return 0;
}
