#include "capture/capture_recorder.h"

#include "core/control_chars.h"

namespace espa {

CaptureError CaptureRecorder::Record(const LineChunk& chunk) {
    if (chunk.bytes.empty()) {
        return std::nullopt;
    }
    if (CaptureError error = m_writer.Write(chunk)) {
        return error;
    }
    m_unflushed = true;
    return EndsFrame(chunk) ? Flush() : std::nullopt;
}

CaptureError CaptureRecorder::Flush() {
    if (!m_unflushed) {
        return std::nullopt;
    }
    m_unflushed = false;
    return m_writer.Flush();
}

// Cheap rather than exact: a chunk that ends on a byte that can end a frame, or that carries the
// check after an ETX. A block whose check is left out ends at ETX, so ETX counts as well.
bool CaptureRecorder::EndsFrame(const LineChunk& chunk) {
    bool& afterEtx = m_afterEtx[chunk.from == Side::Central ? 0 : 1];
    const std::string& bytes = chunk.bytes;
    const bool checkCame = afterEtx || (bytes.size() >= 2 && bytes[bytes.size() - 2] == ETX);
    const char last = bytes.back();
    afterEtx = last == ETX;
    return checkCame || last == ETX || last == ENQ || last == ACK || last == NAK || last == EOT;
}

}  // namespace espa
