#include "console_view.h"

#include <gtest/gtest.h>

#include <sstream>

#include "log/log_lines.h"

namespace espa::test {
namespace {

TEST(ConsoleViewRendering, PrintableAsciiStaysAsItIs) {
    EXPECT_EQ(ConsoleView::RenderLine("14:03:07 Call (SOH1) to pager: [1234]"),
              "14:03:07 Call (SOH1) to pager: [1234]");
}

TEST(ConsoleViewRendering, ControlBytesAreShownByTheirTraceNames) {
    EXPECT_EQ(ConsoleView::RenderLine(std::string("a\x01"
                                                  "b\x03\x1F",
                                                  5)),
              "a[SOH]b[ETX][US]");
    EXPECT_EQ(ConsoleView::RenderLine(std::string("\0", 1)), "[NUL]");
    EXPECT_EQ(ConsoleView::RenderLine("\x7F"), "[RUB]");
    EXPECT_EQ(ConsoleView::RenderLine("line\r\nend"), "line[CR][LF]end");
    EXPECT_EQ(ConsoleView::RenderLine("\x1B[2J"), "[ESC][2J");
}

TEST(ConsoleViewRendering, BlankIsNotRenamed) {
    EXPECT_EQ(ConsoleView::RenderLine("a b"), "a b");
}

TEST(ConsoleViewRendering, C1ControlBytesAreShownInHex) {
    EXPECT_EQ(ConsoleView::RenderLine("\x80"), "[0x80]");
    EXPECT_EQ(ConsoleView::RenderLine("x\x9B"
                                      "y"),
              "x[0x9B]y");
    EXPECT_EQ(ConsoleView::RenderLine("\x9F"), "[0x9F]");
}

TEST(ConsoleViewRendering, OtherHighBytesAreLatin1InUtf8) {
    EXPECT_EQ(ConsoleView::RenderLine("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(ConsoleView::RenderLine("\xA0"), "\xC2\xA0");
    EXPECT_EQ(ConsoleView::RenderLine("\xFF"), "\xC3\xBF");
}

TEST(ConsoleViewOutput, EveryStoredLineIsPrintedAtOnce) {
    std::ostringstream out;
    ConsoleView view("PAGED", out);
    LogLines lines;
    view.Attach(lines);
    lines.AddLogLine("first");
    EXPECT_EQ(out.str(), "first\n");
    lines.AddLogLine(std::string("second\x04", 7));
    EXPECT_EQ(out.str(), "first\nsecond[EOT]\n");
}

TEST(ConsoleViewOutput, LinesKeepComingAfterTheStoreIsFullOrCleared) {
    std::ostringstream out;
    ConsoleView view("PAGED", out);
    LogLines lines;
    view.Attach(lines);
    for (int i = 0; i < 12; ++i) {
        lines.AddLogLine("L" + std::to_string(i));
    }
    lines.Clear();
    lines.AddLogLine("after");
    EXPECT_EQ(out.str().substr(out.str().size() - 14), "L10\nL11\nafter\n");
}

TEST(ConsoleViewStatus, OptionNamesGiveTheStatusWords) {
    EXPECT_EQ(ConsoleView::StatusFromOption("paged"), "PAGED");
    EXPECT_EQ(ConsoleView::StatusFromOption("Absent"), "ABSENT");
    EXPECT_EQ(ConsoleView::StatusFromOption("QUEUE"), "QUEUE");
    EXPECT_EQ(ConsoleView::StatusFromOption("terminated"), "TERMINATED");
    EXPECT_EQ(ConsoleView::StatusFromOption("error"), std::nullopt);
    EXPECT_EQ(ConsoleView::StatusFromOption(""), std::nullopt);
}

TEST(ConsoleViewStatus, SelectedStatusIsTheOneGiven) {
    std::ostringstream out;
    ConsoleView view("QUEUE", out);
    EXPECT_EQ(view.GetSelectedStatus(), "QUEUE");
}

}  // namespace
}  // namespace espa::test
