#include "capture/capture_reader.h"
#include "capture/capture_recorder.h"
#include "capture_conversation.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

class CaptureFile : public ::testing::Test {
  protected:
    std::string File(const char* name) const { return (m_dir.path() / name).string(); }
    const std::vector<LineChunk> m_chunks = CaptureChunks();
    TempDir m_dir;
};

// Flushed while the writer stays open, so the record's last piece is not in stdio's buffer.
TEST_F(CaptureFile, WritesALongChunkInPiecesWithItsStampFlushesAndNamesAFileItCannotCreate) {
    const std::string bytes(CaptureWriter::kLongestRecord + 10, 'x');
    CaptureWriter writer;
    ASSERT_EQ(writer.Open(File("long.pcap")), std::nullopt);
    ASSERT_EQ(writer.Write({Side::Central, 7, bytes}), std::nullopt);
    ASSERT_EQ(writer.Flush(), std::nullopt);
    const CaptureContents read = ReadCapture(File("long.pcap"));
    ASSERT_EQ(read.chunks.size(), 2u) << read.error.value_or("");
    EXPECT_EQ(read.chunks[0].bytes + read.chunks[1].bytes, bytes);
    EXPECT_EQ(read.chunks[1].timeUs, 7);
    const std::string path = File("no-such-folder/line.pcap");
    EXPECT_EQ(writer.Open(path), "cannot create " + path + ": No such file or directory");
    EXPECT_NE(writer.Write({Side::Central, 0, "x"}), std::nullopt);
}

TEST_F(CaptureFile, ReadsBackWhatItWroteAndOfAFaultyFileEveryWholeRecordAndTheBadByte) {
    WriteCapture(File("good.pcap"), m_chunks);
    const CaptureContents back = ReadCapture(File("good.pcap"));
    EXPECT_EQ(back.chunks, m_chunks) << back.error.value_or("");
    const std::string good = ReadFile(File("good.pcap"));
    // Offsets from the file format, not libpcap: a 24-byte file header, then per record a 16-byte
    // header, the direction byte and the bytes.
    std::vector<std::int64_t> at{24};
    for (const LineChunk& chunk : m_chunks) {
        at.push_back(at.back() + 17 + static_cast<std::int64_t>(chunk.bytes.size()));
    }
    const auto with = [&](std::int64_t offset, char byte) {
        return good.substr(0, offset) + byte + good.substr(offset + 1);
    };
    const std::size_t last = m_chunks.size() - 1;
    const std::tuple<std::string, std::int64_t, std::size_t, std::string> cases[] = {
        {"time,direction,kind\r\n", 0, 0, "not a capture file"},
        {with(20, 1), 0, 0, "link type 1 (EN10MB)"},
        {good.substr(0, 10), 0, 0, "not a capture file"},
        {good.substr(0, at[3] + 7), at[3], 3, "cut short"},
        {good.substr(0, at[5] + 16 + 2), at[5], 5, "cut short"},
        {good.substr(0, good.size() - 1), at[last], last, "cut short"},
        {with(at[2] + 16, 7), at[2], 2, "direction byte 7"},
    };
    for (const auto& [bytes, offset, wholeRecords, says] : cases) {
        SCOPED_TRACE(says + std::to_string(offset));
        WriteFile(File("bad.pcap"), bytes);
        const CaptureContents read = ReadCapture(File("bad.pcap"));
        const std::string error = read.error.value_or("no error");
        EXPECT_NE(error.find(", byte " + std::to_string(offset) + ": "), std::string::npos)
            << error;
        EXPECT_NE(error.find(says), std::string::npos) << error;
        EXPECT_EQ(read.chunks, std::vector(m_chunks.begin(), m_chunks.begin() + wholeRecords));
    }
}

// A running program flushes at each frame's end by itself; anything else waits for its timer.
TEST_F(CaptureFile, TheRecorderFlushesAtAFramesEndAndOnlyThere) {
    struct Case {
        const char* name;
        std::vector<LineChunk> chunks;
        bool inFile;
    };
    const Case cases[] = {
        {"select", {{Side::Central, 1, "1" + Ch(ENQ) + "2" + Ch(ENQ)}}, true},
        {"ACK", {{Side::PagingSystem, 1, Ch(ACK)}}, true},
        {"block with its check",
         {{Side::Central, 1, Ch(SOH) + "1" + Ch(STX) + Ch(ETX) + "x"}},
         true},
        {"check in a chunk of its own",
         {{Side::Central, 1, Ch(SOH) + Ch(STX) + Ch(ETX)}, {Side::Central, 2, "x"}},
         true},
        {"half a block", {{Side::Central, 1, Ch(SOH) + "1" + Ch(STX) + "12"}}, false},
        {"address digit", {{Side::Central, 1, "2"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureRecorder recorder;
        ASSERT_EQ(recorder.Open(File("recorded.pcap")), std::nullopt);
        for (const LineChunk& chunk : c.chunks) {
            ASSERT_EQ(recorder.Record(chunk), std::nullopt);
        }
        EXPECT_EQ(ReadCapture(File("recorded.pcap")).chunks.size(),
                  c.inFile ? c.chunks.size() : 0u);
    }
}

}  // namespace
}  // namespace espa::test
