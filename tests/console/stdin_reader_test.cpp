// Standard input read line by line from the event loop, here from a pipe the test writes.
#include "stdin_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "event_loop_wait.h"

namespace espa::test {
namespace {

using Lines = std::vector<std::string>;

// Lines come without their ends whatever the chunks; an end of input delivers the last unended
// line and ends once; an overlong line is dropped whole and the next one counts.
TEST(StdinReader, LinesComeWholeAndTheEndOfInputOnce) {
    const std::string overlong(StdinReader::kMaxLineBytes + 10, 'x');
    // Chunks written, whether the input then ends, the lines and overlong ones that come out.
    const std::tuple<Lines, bool, Lines, int> cases[] = {
        {{"status ab", "sent\r\ncalls\n\nqu"}, false, {"status absent", "calls", ""}, 0},
        {{"calls\nquit"}, true, {"calls", "quit"}, 0},
        {{overlong + "tail\ncalls\n"}, false, {"calls"}, 1},
        {{}, true, {}, 0},
    };
    for (const auto& [chunks, close, expected, expectedTooLong] : cases) {
        SCOPED_TRACE(expected.size());
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        StdinReader reader;
        Lines lines;
        int tooLong = 0, ended = 0;
        QObject::connect(&reader, &StdinReader::LineReceived,
                         [&](const std::string& line) { lines.push_back(line); });
        QObject::connect(&reader, &StdinReader::LineTooLong, [&] { ++tooLong; });
        QObject::connect(&reader, &StdinReader::Ended, [&] { ++ended; });
        reader.Start(pipe[0]);
        for (const std::string& chunk : chunks) {
            ASSERT_EQ(::write(pipe[1], chunk.data(), chunk.size()), ssize_t(chunk.size()));
        }
        ::close(close ? pipe[1] : -1);
        EXPECT_TRUE(PumpUntil([&] { return lines.size() == expected.size() && ended == close; }));
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));  // nothing more comes
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(std::tuple(tooLong, ended), std::tuple(expectedTooLong, close ? 1 : 0));
        ::close(pipe[0]);
        ::close(close ? -1 : pipe[1]);
    }
}

TEST(StdinReader, InputThatIsNotOpenEndsAtOnce) {
    int ended = 0;
    StdinReader reader;
    QObject::connect(&reader, &StdinReader::Ended, [&] { ++ended; });
    const int closed = ::dup(0);
    ::close(closed);
    reader.Start(closed);
    EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace espa::test
