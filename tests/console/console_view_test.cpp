#include "console_view.h"

#include <gtest/gtest.h>

#include <sstream>

#include "log/log_lines.h"

namespace espa::test {
namespace {

TEST(ConsoleView, LineBytesAreShownSafelyForAUtf8Terminal) {
    const std::pair<std::string, const char*> cases[] = {
        {std::string("a\1b\3\37\0", 6), "a[SOH]b[ETX][US][NUL]"},
        {"line\r\nend\x7F", "line[CR][LF]end[RUB]"},
        {"\x1B[2J", "[ESC][2J"},
        {"\x80x\x9B\x9F", "[0x80]x[0x9B][0x9F]"},
        {"Caf\xE9\xA0\xFF", "Caf\xC3\xA9\xC2\xA0\xC3\xBF"},
    };
    for (const auto& [bytes, shown] : cases) {
        EXPECT_EQ(ConsoleView::RenderLine(bytes), shown);
    }
}

TEST(ConsoleView, EveryStoredLineIsPrintedAtOnceAlsoAfterTheStoreIsFullOrCleared) {
    std::ostringstream out;
    ConsoleView view("PAGED", out);
    LogLines lines;
    view.Attach(lines);
    lines.AddLogLine(std::string("first\x04", 6));
    EXPECT_EQ(out.str(), "first[EOT]\n");
    for (int i = 0; i < 12; ++i) {
        lines.AddLogLine("L" + std::to_string(i));
    }
    lines.Clear();
    lines.AddLogLine("after");
    EXPECT_TRUE(out.str().ends_with("L10\nL11\nafter\n"));
}

}  // namespace
}  // namespace espa::test
