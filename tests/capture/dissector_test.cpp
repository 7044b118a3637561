#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/frame_csv.h"
#include "capture_conversation.h"
#include "child_process.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

// One record as tshark prints the fields asked for: for the frames completed there, their kinds,
// check verdicts, field identifiers, field values and addresses, tab between columns, '|' between
// the values of one column.
std::string Row(const std::vector<Frame>& frames) {
    std::string columns[5];
    const auto add = [&](int column, const std::string& value) {
        columns[column] += (columns[column].empty() ? "" : "|") + value;
    };
    for (const Frame& frame : frames) {
        add(0, FrameKindWord(frame.kind));
        if (frame.kind == FrameKind::Block) {
            add(1, CheckWord(frame));
        }
        for (const BlockField& field : frame.fields) {
            add(2, std::string(1, field.id));
            add(3, Utf8FromLatin1(field.value));
        }
        if (!frame.address.empty()) {
            add(4, frame.address);
        }
    }
    return columns[0] + "\t" + columns[1] + "\t" + columns[2] + "\t" + columns[3] + "\t" +
           columns[4];
}

TEST(Dissector, DecodesInTsharkWhatTheLineWatchDecodesFromTheSameCapture) {
    TempDir dir;
    const std::filesystem::path file = dir.path() / "line.pcap";
    WriteCapture(file, Chunks(CaptureConversation()));
    const CaptureContents capture = ReadCapture(file.string());
    ASSERT_EQ(capture.error, std::nullopt);

    std::string expected;
    LineWatch watch(Emulation::Philips);
    for (const LineChunk& chunk : capture.chunks) {
        watch.Feed(chunk);
        expected += Row(watch.TakeFrames()) + "\n";
    }

    const char* tshark = std::getenv("TSHARK");
    ASSERT_NE(tshark, nullptr) << "run by tests/capture/with-tshark, which finds tshark";
    ChildProcess run(tshark, {"-X", "lua_script:" ESPA_DISSECTOR,
                              "-r", file.string(),
                              "-T", "fields",
                              "-E", "separator=/t",
                              "-E", "aggregator=|",
                              "-e", "espa.kind",
                              "-e", "espa.check.verdict",
                              "-e", "espa.field.id",
                              "-e", "espa.field.value",
                              "-e", "espa.address"});
    ASSERT_EQ(run.WaitForExit(std::chrono::seconds(60)), 0) << run.Stderr();
    EXPECT_EQ(run.Stdout(), expected) << run.Stderr();
}

}  // namespace
}  // namespace espa::test
