#include "capture/capture_reader.h"
#include "capture/frame_csv.h"
#include "capture_conversation.h"
#include "child_process.h"
#include "line/frame_text.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

// tshark's fields for the frames completed at a record: tab between columns, '|' within one.
std::string Row(const std::vector<Frame>& frames) {
    std::string columns[5];
    const auto add = [&](int column, const std::string& value) {
        columns[column] += (columns[column].empty() || value.empty() ? "" : "|") + value;
    };
    for (const Frame& frame : frames) {
        add(0, FrameKindWord(frame.kind));
        add(1, frame.kind == FrameKind::Block ? CheckWord(frame) : "");
        for (const BlockField& field : frame.fields) {
            add(2, std::string(1, field.id));
            add(3, Utf8FromLatin1(field.value));
        }
        add(4, frame.address);
    }
    return columns[0] + "\t" + columns[1] + "\t" + columns[2] + "\t" + columns[3] + "\t" +
           columns[4] + "\n";
}

TEST(Dissector, DecodesInTsharkWhatTheLineWatchDecodesFromTheSameCapture) {
    TempDir dir;
    const std::string file = (dir.path() / "line.pcap").string();
    WriteCapture(file, CaptureChunks());
    std::string expected;
    LineWatch watch(Emulation::Philips);
    for (const LineChunk& chunk : ReadCapture(file).chunks) {
        watch.Feed(chunk);
        expected += Row(watch.TakeFrames());
    }
    const char* tshark = std::getenv("TSHARK");
    ASSERT_NE(tshark, nullptr) << "run by tests/capture/with-tshark, which finds tshark";
    std::vector<std::string> arguments{"-Xlua_script:" ESPA_DISSECTOR, "-r" + file, "-Tfields",
                                       "-Eseparator=/t", "-Eaggregator=|"};
    for (const char* field : {"kind", "check.verdict", "field.id", "field.value", "address"}) {
        arguments.push_back(std::string("-eespa.") + field);
    }
    ChildProcess run(tshark, arguments);
    ASSERT_EQ(run.WaitForExit(std::chrono::seconds(60)), 0) << run.Stderr();
    EXPECT_EQ(run.Stdout(), expected) << run.Stderr();
}

}  // namespace
}  // namespace espa::test
