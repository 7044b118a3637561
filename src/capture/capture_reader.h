#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_format.h"
#include "line/line_chunk.h"

struct pcap;

namespace espa {

// Reads a capture of the line (capture_format.h) back as the chunks it was written from, in file
// order.
//
//     CaptureReader capture;
//     if (CaptureError error = capture.Open(path)) { tell the user *error; }
//     while (std::optional<LineChunk> chunk = capture.Next()) { watch.Feed(*chunk); }
//     if (capture.Error()) { every whole record came back; tell the user *capture.Error(); }
//
// A file that is not a capture, one of another link type, a record without a direction byte and
// a file cut short (a program killed while writing) each give an error that names the byte
// offset; every whole record before the fault comes back first.
class CaptureReader {
  public:
    CaptureReader() = default;
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    CaptureError Open(const std::string& path);
    // The same from bytes in memory (the fuzz target), which must outlive the reading; `name`
    // stands for the file in the messages.
    CaptureError OpenBytes(std::string_view bytes, const std::string& name = "capture");

    // The next chunk, or none at the end of the file or at the first fault.
    std::optional<LineChunk> Next();
    // Why reading stopped early; none at the end of a whole file.
    const CaptureError& Error() const { return m_error; }

  private:
    CaptureError Start(std::FILE* file, const std::string& name);
    std::nullopt_t Fail(std::int64_t offset, const std::string& what);
    void Close();

    std::string m_name;
    // Ours to ask for the offset; pcap_close closes it.
    std::FILE* m_file = nullptr;
    pcap* m_pcap = nullptr;
    CaptureError m_error;
};

// A whole capture at once: what came back and, when the file has a fault, why it stopped.
struct CaptureContents {
    std::vector<LineChunk> chunks;
    CaptureError error;
};
CaptureContents ReadCapture(const std::string& path);

}  // namespace espa
