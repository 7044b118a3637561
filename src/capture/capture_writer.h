#pragma once

#include <cstddef>
#include <string>

#include "capture/capture_format.h"
#include "line/line_chunk.h"

struct pcap;
struct pcap_dumper;

namespace espa {

// Writes a capture of the line (capture_format.h), one record per chunk, in the order given.
//
//     CaptureWriter capture;
//     if (CaptureError error = capture.Open(path)) { tell the user *error; }
//     capture.Write(chunk);   // every chunk read from or written to the line
//     capture.Flush();        // at every frame's end and at least every 100 ms
//
// Records wait in a stdio buffer until Flush(): the front end calls it at the end of every frame
// and at least every 100 ms, so a program that dies loses at most the last 100 ms of bytes, and
// Wireshark reading the growing file sees whole frames. Once Flush() has returned without an
// error every record given before it is in the file (with the kernel; surviving a power cut is
// not promised). The destructor flushes and closes. Errors come back as values, never as
// exceptions; after the first failed write or flush every later call reports that one.
class CaptureWriter {
  public:
    // libpcap's own limit for a record of this link type; a longer chunk becomes several records
    // with the same stamp.
    static constexpr std::size_t kLongestRecord = 262144;

    CaptureWriter() = default;
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Creates the file, or empties one that is there, and writes the file header.
    CaptureError Open(const std::string& path);
    bool IsOpen() const { return m_dumper != nullptr; }

    // Stamps before 1970 are written as 1970: the file format counts unsigned seconds.
    CaptureError Write(const LineChunk& chunk);
    CaptureError Flush();
    // Flushes and closes; the error, if the last records could not be written.
    CaptureError Close();

  private:
    CaptureError Failed(const std::string& what);

    std::string m_path;
    pcap* m_pcap = nullptr;
    pcap_dumper* m_dumper = nullptr;
    CaptureError m_error;
};

}  // namespace espa
