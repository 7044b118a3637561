#pragma once

#include <array>
#include <string>

#include "capture/capture_writer.h"
#include "core/line_tap.h"
#include "line/line_chunk.h"

namespace espa {

// A capture kept while the line runs: each chunk goes to the file, and the file is flushed when
// a chunk ends a frame, so that Wireshark reading the growing file sees whole frames. The front
// end calls Flush() at least every 100 ms for the rest. As a line tap, what a port read is the
// central's and what it wrote the paging system's: the emulator's own view of its line.
class CaptureRecorder final : public LineTap {
  public:
    CaptureError Open(const std::string& path) { return m_writer.Open(path); }

    // Writes and, at a frame's end, flushes; the first error, which every later call repeats.
    CaptureError Record(const LineChunk& chunk);
    // Flushes what was written since the last flush; nothing to do is no error.
    CaptureError Flush();
    CaptureError Close() { return m_writer.Close(); }

    void OnLineRead(std::int64_t timeUs, const std::string& bytes) override {
        Record({Side::Central, timeUs, bytes});
    }
    void OnLineWritten(std::int64_t timeUs, const std::string& bytes) override {
        Record({Side::PagingSystem, timeUs, bytes});
    }

  private:
    bool EndsFrame(const LineChunk& chunk);

    CaptureWriter m_writer;
    bool m_unflushed = false;
    // The side's last chunk ended with ETX: its next byte is the check that ends the block.
    std::array<bool, 2> m_afterEtx{};
};

}  // namespace espa
