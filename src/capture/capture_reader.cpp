#include "capture/capture_reader.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>

namespace espa {

CaptureReader::~CaptureReader() {
    Close();
}

CaptureError CaptureReader::Open(const std::string& path) {
    Close();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return m_error = "cannot open " + path + ": " + std::strerror(errno);
    }
    return Start(file, path);
}

CaptureError CaptureReader::OpenBytes(std::string_view bytes, const std::string& name) {
    Close();
    // fmemopen wants a buffer even for no bytes, and never writes to one opened for reading.
    static char nothing = 0;
    char* buffer = bytes.empty() ? &nothing : const_cast<char*>(bytes.data());
    std::FILE* file = fmemopen(buffer, bytes.size(), "rb");
    if (file == nullptr) {
        return m_error = "cannot read " + name + ": " + std::strerror(errno);
    }
    return Start(file, name);
}

CaptureError CaptureReader::Start(std::FILE* file, const std::string& name) {
    m_name = name;
    m_error.reset();
    char reason[PCAP_ERRBUF_SIZE] = {};
    m_pcap = pcap_fopen_offline_with_tstamp_precision(file, PCAP_TSTAMP_PRECISION_MICRO, reason);
    if (m_pcap == nullptr) {
        // On failure the file is still ours to close.
        std::fclose(file);
        Fail(0, std::string("not a capture file (") + reason + ")");
        return m_error;
    }
    m_file = file;
    const int linkType = pcap_datalink(m_pcap);
    if (linkType != kCaptureLinkType) {
        const char* linkName = pcap_datalink_val_to_name(linkType);
        Fail(0, "the file header gives link type " + std::to_string(linkType) + " (" +
                    (linkName != nullptr ? linkName : "unknown") +
                    "), not a capture of the line, which has " + std::to_string(kCaptureLinkType) +
                    " (USER0)");
        return m_error;
    }
    return std::nullopt;
}

std::optional<LineChunk> CaptureReader::Next() {
    if (m_pcap == nullptr) {
        return std::nullopt;
    }
    // libpcap reads through the stream, so before a record it stands at the record's first byte.
    const std::int64_t offset = std::ftell(m_file);
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(m_pcap, &header, &data);
    if (result == PCAP_ERROR_BREAK) {
        Close();
        return std::nullopt;
    }
    if (result != 1) {
        return Fail(offset, std::string("the record that starts here is cut short or damaged (") +
                                pcap_geterr(m_pcap) + ")");
    }
    if (header->caplen < header->len) {
        return Fail(offset, "the record keeps only " + std::to_string(header->caplen) + " of its " +
                                std::to_string(header->len) + " bytes");
    }
    if (header->caplen == 0) {
        return Fail(offset, "a record without its direction byte");
    }
    const std::optional<Side> side = SideOfDirectionByte(data[0]);
    if (!side) {
        return Fail(offset, "direction byte " + std::to_string(data[0]) +
                                ", neither 0 (from the central) nor 1 (from the paging system)");
    }
    LineChunk chunk;
    chunk.from = *side;
    chunk.timeUs = static_cast<std::int64_t>(header->ts.tv_sec) * 1'000'000 + header->ts.tv_usec;
    chunk.bytes.assign(reinterpret_cast<const char*>(data) + 1, header->caplen - 1);
    return chunk;
}

std::nullopt_t CaptureReader::Fail(std::int64_t offset, const std::string& what) {
    m_error = m_name + ", byte " + std::to_string(offset) + ": " + what;
    Close();
    return std::nullopt;
}

void CaptureReader::Close() {
    if (m_pcap != nullptr) {
        pcap_close(m_pcap);
    } else if (m_file != nullptr) {
        std::fclose(m_file);
    }
    m_pcap = nullptr;
    m_file = nullptr;
}

CaptureContents ReadCapture(const std::string& path) {
    CaptureContents contents;
    CaptureReader reader;
    contents.error = reader.Open(path);
    while (std::optional<LineChunk> chunk = reader.Next()) {
        contents.chunks.push_back(std::move(*chunk));
    }
    if (!contents.error) {
        contents.error = reader.Error();
    }
    return contents;
}

}  // namespace espa
