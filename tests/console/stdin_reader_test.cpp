// Standard input read line by line from the event loop, here from a pipe the test writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "event_loop_wait.h"
#include "stdin_reader.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class StdinReaderTest : public ::testing::Test {
  protected:
    StdinReaderTest() {
        EXPECT_EQ(::pipe2(m_pipe, O_CLOEXEC), 0);
        QObject::connect(&reader, &StdinReader::LineReceived, &reader,
                         [this](const std::string& line) { lines.push_back(line); });
        QObject::connect(&reader, &StdinReader::LineTooLong, &reader, [this] { ++tooLong; });
        QObject::connect(&reader, &StdinReader::Ended, &reader, [this] { ++ended; });
    }
    ~StdinReaderTest() override {
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }
    // Writes each chunk, then closes the writing end if asked; reads until `lines` or the end.
    void Feed(const Lines& chunks, bool close, std::size_t count) {
        reader.Start(m_pipe[0]);
        for (const std::string& chunk : chunks) {
            ASSERT_EQ(::write(m_pipe[1], chunk.data(), chunk.size()), ssize_t(chunk.size()));
        }
        if (close) {
            ::close(std::exchange(m_pipe[1], -1));
        }
        ASSERT_TRUE(SpinUntil([&] { return lines.size() == count && ended == close; }, 2s));
        SpinUntil([] { return false; }, 100ms);  // nothing more comes
    }

    int m_pipe[2] = {-1, -1};
    StdinReader reader;
    Lines lines;
    int tooLong = 0;
    int ended = 0;
};

TEST_F(StdinReaderTest, LinesComeWithoutTheirEndsWhateverTheChunks) {
    Feed({"status ab", "sent\r\ncalls\n\nqu"}, false, 3);
    EXPECT_EQ(lines, (Lines{"status absent", "calls", ""}));
    EXPECT_EQ(ended, 0);
}

TEST_F(StdinReaderTest, EndOfInputDeliversTheLastUnendedLineAndEndsOnce) {
    Feed({"calls\nquit"}, true, 2);
    EXPECT_EQ(lines, (Lines{"calls", "quit"}));
    EXPECT_EQ(ended, 1);
}

TEST_F(StdinReaderTest, OverlongLineIsDroppedWholeAndTheNextOneCounts) {
    Feed({std::string(StdinReader::kMaxLineBytes + 10, 'x') + "tail\ncalls\n"}, false, 1);
    EXPECT_EQ(tooLong, 1);
    EXPECT_EQ(lines, (Lines{"calls"}));
}

TEST_F(StdinReaderTest, EmptyInputEndsWithoutALine) {
    Feed({}, true, 0);
    EXPECT_EQ(ended, 1);
}

TEST_F(StdinReaderTest, InputThatIsNotOpenEndsAtOnce) {
    const int closed = ::dup(m_pipe[0]);
    ::close(closed);
    reader.Start(closed);
    EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace espa::test
