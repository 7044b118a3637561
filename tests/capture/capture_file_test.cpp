#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/capture_recorder.h"
#include "capture_conversation.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

class CaptureFile : public ::testing::Test {
  protected:
    std::filesystem::path File(const char* name) const { return m_dir.path() / name; }

    TempDir m_dir;
};

TEST_F(CaptureFile, ReadsBackTheChunksItWasWritten) {
    const std::vector<LineChunk> chunks = Chunks(CaptureConversation());
    WriteCapture(File("line.pcap"), chunks);
    const CaptureContents read = ReadCapture(File("line.pcap").string());
    EXPECT_EQ(read.error, std::nullopt);
    EXPECT_EQ(read.chunks, chunks);
}

TEST_F(CaptureFile, AFlushedRecordIsInTheFileWhileTheWriterStaysOpen) {
    CaptureWriter writer;
    ASSERT_EQ(writer.Open(File("growing.pcap").string()), std::nullopt);
    const LineChunk chunk{Side::PagingSystem, kCaptureStartUs, Ch(ACK)};
    ASSERT_EQ(writer.Write(chunk), std::nullopt);
    ASSERT_EQ(writer.Flush(), std::nullopt);
    EXPECT_EQ(ReadCapture(File("growing.pcap").string()).chunks, std::vector<LineChunk>{chunk});
}

TEST_F(CaptureFile, AChunkLongerThanARecordComesBackInPiecesWithItsStamp) {
    const std::string bytes(CaptureWriter::kLongestRecord + 10, 'x');
    WriteCapture(File("long.pcap"), {{Side::Central, kCaptureStartUs, bytes}});
    const CaptureContents read = ReadCapture(File("long.pcap").string());
    ASSERT_EQ(read.chunks.size(), 2u) << read.error.value_or("");
    EXPECT_EQ(read.chunks[0].bytes + read.chunks[1].bytes, bytes);
    EXPECT_EQ(read.chunks[1].timeUs, kCaptureStartUs);
}

TEST_F(CaptureFile, AFileThatCannotBeCreatedGivesTheReason) {
    CaptureWriter writer;
    const std::string path = File("no-such-folder/line.pcap").string();
    const CaptureError error = writer.Open(path);
    ASSERT_NE(error, std::nullopt);
    EXPECT_EQ(*error, "cannot create " + path + ": No such file or directory");
    EXPECT_NE(writer.Write({Side::Central, 0, "x"}), std::nullopt);
}

// The pcap layout, from the file format rather than from libpcap: a 24-byte file header, then per
// record a 16-byte header, the direction byte and the bytes.
std::int64_t RecordStart(const std::vector<LineChunk>& chunks, std::size_t record) {
    std::int64_t offset = 24;
    for (std::size_t i = 0; i < record; ++i) {
        offset += 16 + 1 + static_cast<std::int64_t>(chunks[i].bytes.size());
    }
    return offset;
}

TEST_F(CaptureFile, AFaultyFileNamesTheByteAfterGivingEveryWholeRecordBeforeIt) {
    const std::vector<LineChunk> chunks = Chunks(CaptureConversation());
    WriteCapture(File("good.pcap"), chunks);
    const std::string good = ReadFile(File("good.pcap"));
    const auto at = [&](std::size_t record) { return RecordStart(chunks, record); };
    const auto with = [&](std::int64_t offset, char byte) {
        std::string bytes = good;
        bytes[offset] = byte;
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::int64_t offset;
        std::size_t wholeRecords;
        const char* says;
    };
    const Case cases[] = {
        {"text", "time,direction,kind\r\n", 0, 0, "not a capture file"},
        {"link type Ethernet", with(20, 1), 0, 0, "link type 1 (EN10MB)"},
        {"cut in the file header", good.substr(0, 10), 0, 0, "not a capture file"},
        {"cut in a record header", good.substr(0, at(3) + 7), at(3), 3, "cut short"},
        {"cut in a record's bytes", good.substr(0, at(5) + 16 + 2), at(5), 5, "cut short"},
        {"cut in the last byte", good.substr(0, good.size() - 1), at(chunks.size() - 1),
         chunks.size() - 1, "cut short"},
        {"unknown direction", with(at(2) + 16, 7), at(2), 2, "direction byte 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(File("bad.pcap"), c.bytes);
        const CaptureContents read = ReadCapture(File("bad.pcap").string());
        ASSERT_NE(read.error, std::nullopt);
        const std::string& error = *read.error;
        EXPECT_NE(error.find(", byte " + std::to_string(c.offset) + ": "), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(read.chunks,
                  std::vector<LineChunk>(chunks.begin(), chunks.begin() + c.wholeRecords));
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
        ASSERT_EQ(recorder.Open(File("recorded.pcap").string()), std::nullopt);
        for (const LineChunk& chunk : c.chunks) {
            ASSERT_EQ(recorder.Record(chunk), std::nullopt);
        }
        EXPECT_EQ(ReadCapture(File("recorded.pcap").string()).chunks.size(),
                  c.inFile ? c.chunks.size() : 0u);
    }
}

}  // namespace
}  // namespace espa::test
