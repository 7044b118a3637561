#include "capture/capture_writer.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace espa {
namespace {

static_assert(kCaptureLinkType == DLT_USER0);

timeval Stamp(std::int64_t timeUs) {
    constexpr std::int64_t kLastSecond = std::numeric_limits<std::uint32_t>::max();
    const std::int64_t us = std::max<std::int64_t>(timeUs, 0);
    timeval stamp{};
    stamp.tv_sec = static_cast<time_t>(std::min(us / 1'000'000, kLastSecond));
    stamp.tv_usec = static_cast<suseconds_t>(us % 1'000'000);
    return stamp;
}

}  // namespace

CaptureWriter::~CaptureWriter() {
    Close();
}

CaptureError CaptureWriter::Open(const std::string& path) {
    Close();
    m_error.reset();
    m_path = path;
    // Our own fopen rather than pcap_dump_open: that one takes "-" for standard output.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return m_error = "cannot create " + path + ": " + std::strerror(errno);
    }
    m_pcap = pcap_open_dead_with_tstamp_precision(DLT_USER0, kLongestRecord,
                                                  PCAP_TSTAMP_PRECISION_MICRO);
    m_dumper = m_pcap != nullptr ? pcap_dump_fopen(m_pcap, file) : nullptr;
    if (m_dumper == nullptr) {
        std::fclose(file);
        const std::string reason = m_pcap != nullptr ? pcap_geterr(m_pcap) : "out of memory";
        Close();
        return m_error = "cannot create " + path + ": " + reason;
    }
    return std::nullopt;
}

CaptureError CaptureWriter::Write(const LineChunk& chunk) {
    if (m_error || m_dumper == nullptr) {
        return m_error ? m_error : "no capture file is open";
    }
    constexpr std::size_t kPiece = kLongestRecord - 1;
    std::string record;
    for (std::size_t at = 0; at < chunk.bytes.size(); at += kPiece) {
        const std::size_t length = std::min(kPiece, chunk.bytes.size() - at);
        record.assign(1, static_cast<char>(DirectionByte(chunk.from)));
        record.append(chunk.bytes, at, length);
        pcap_pkthdr header{};
        header.ts = Stamp(chunk.timeUs);
        header.caplen = header.len = static_cast<bpf_u_int32>(record.size());
        pcap_dump(reinterpret_cast<u_char*>(m_dumper), &header,
                  reinterpret_cast<const u_char*>(record.data()));
    }
    // pcap_dump says nothing of a failed write; the stream remembers it.
    if (std::ferror(pcap_dump_file(m_dumper))) {
        return Failed("cannot write");
    }
    return std::nullopt;
}

CaptureError CaptureWriter::Flush() {
    if (m_error || m_dumper == nullptr) {
        return m_error ? m_error : "no capture file is open";
    }
    if (pcap_dump_flush(m_dumper) != 0) {
        return Failed("cannot write");
    }
    return std::nullopt;
}

CaptureError CaptureWriter::Close() {
    CaptureError error = m_error;
    if (m_dumper != nullptr) {
        if (!error) {
            error = Flush();
        }
        pcap_dump_close(m_dumper);
        m_dumper = nullptr;
    }
    if (m_pcap != nullptr) {
        pcap_close(m_pcap);
        m_pcap = nullptr;
    }
    return error;
}

CaptureError CaptureWriter::Failed(const std::string& what) {
    const int code = errno;
    m_error = what + " " + m_path + ": " + (code != 0 ? std::strerror(code) : "write failed");
    return m_error;
}

}  // namespace espa
