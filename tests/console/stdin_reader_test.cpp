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
        CloseWriter();
        ::close(m_pipe[0]);
    }

    void Write(const std::string& text) {
        ASSERT_EQ(::write(m_pipe[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void CloseWriter() {
        if (m_pipe[1] >= 0) {
            ::close(m_pipe[1]);
            m_pipe[1] = -1;
        }
    }

    int m_pipe[2] = {-1, -1};
    StdinReader reader;
    std::vector<std::string> lines;
    int tooLong = 0;
    int ended = 0;
};

TEST_F(StdinReaderTest, LinesComeWithoutTheirEndsWhateverTheChunks) {
    reader.Start(m_pipe[0]);
    Write("status ab");
    Write("sent\r\ncalls\n\nqu");
    ASSERT_TRUE(SpinUntil([&] { return lines.size() == 3; }, 2s));
    EXPECT_EQ(lines, (std::vector<std::string>{"status absent", "calls", ""}));
    EXPECT_EQ(ended, 0);
}

TEST_F(StdinReaderTest, EndOfInputDeliversTheLastUnendedLineAndEndsOnce) {
    reader.Start(m_pipe[0]);
    Write("calls\nquit");
    CloseWriter();
    ASSERT_TRUE(SpinUntil([&] { return ended == 1; }, 2s));
    EXPECT_EQ(lines, (std::vector<std::string>{"calls", "quit"}));
    // Nothing more comes, and the descriptor at its end is no longer watched.
    SpinUntil([] { return false; }, 100ms);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(StdinReaderTest, OverlongLineIsDroppedWholeAndTheNextOneCounts) {
    reader.Start(m_pipe[0]);
    Write(std::string(StdinReader::kMaxLineBytes + 10, 'x') + "tail\ncalls\n");
    ASSERT_TRUE(SpinUntil([&] { return lines.size() == 1; }, 2s));
    EXPECT_EQ(tooLong, 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"calls"}));
}

TEST_F(StdinReaderTest, InputThatIsNotOpenEndsAtOnce) {
    const int closed = ::dup(m_pipe[0]);
    ::close(closed);
    reader.Start(closed);
    EXPECT_EQ(ended, 1);
}

TEST_F(StdinReaderTest, EmptyInputEndsWithoutALine) {
    CloseWriter();
    reader.Start(m_pipe[0]);
    ASSERT_TRUE(SpinUntil([&] { return ended == 1; }, 2s));
    EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace espa::test
