#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture_conversation.h"
#include "child_process.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

const char* KindName(FrameKind kind) {
    static const char* const kNames[] = {"select", "poll", "ack", "nak", "eot", "block", "noise"};
    return kNames[static_cast<int>(kind)];
}

std::string Utf8(const std::string& latin1) {
    std::string out;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x80 ? std::string(1, c)
                           : std::string{static_cast<char>(0xC0 | byte >> 6),
                                         static_cast<char>(0x80 | (byte & 0x3F))};
    }
    return out;
}

// One record as tshark prints the fields asked for: for the frames completed there, their kinds,
// check verdicts, field identifiers, field values and addresses, tab between columns, '|' between
// the values of one column.
std::string Row(const std::vector<Frame>& frames) {
    std::vector<std::string> columns(5);
    const auto add = [&](int column, const std::string& value) {
        columns[column] += (columns[column].empty() ? "" : "|") + value;
    };
    for (const Frame& frame : frames) {
        add(0, KindName(frame.kind));
        if (frame.kind == FrameKind::Block) {
            add(1, frame.check == CheckVerdict::Right   ? "right"
                   : frame.check == CheckVerdict::Wrong ? "wrong"
                                                        : "missing");
        }
        for (const BlockField& field : frame.fields) {
            add(2, std::string(1, field.id));
            add(3, Utf8(field.value));
        }
        if (!frame.address.empty()) {
            add(4, frame.address);
        }
    }
    std::string row = columns[0];
    for (int i = 1; i < 5; ++i) {
        row += "\t" + columns[i];
    }
    return row;
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
