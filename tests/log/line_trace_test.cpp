#include "log/line_trace.h"

#include <gtest/gtest.h>

namespace espa {
namespace {

// Sent lines are 23 characters, received ones indented to 41; any direction but 1 is received.
TEST(LineTrace, LinesHaveTheNameTheCodeAndTheHexCodeInFixedColumnsFromTheirParts) {
    const std::string in = "RxD: " + std::string(18, ' ');
    // clang-format off
    const std::tuple<std::int16_t, std::int16_t, std::string> cases[] = {
        {6, kTraceSent, "TxD: [ACK] 6     0x06  "}, {32, kTraceSent, "TxD: [SP]  32    0x20  "},
        {0, kTraceSent, "TxD: [NUL] 0     0x00  "}, {5, kTraceReceived, in + "[ENQ] 5     0x05  "},
        {65, kTraceReceived, in + "A     65    0x41  "}, {127, 0, in + "[RUB] 127   0x7F  "},
        {255, 7, in + "\xFF     255   0xFF  "}};
    // clang-format on
    for (const auto& [c, direction, line] : cases) {
        EXPECT_EQ(TraceLine(c, direction), line) << c;
    }
    for (std::int16_t c = 0; c < 256; ++c) {
        EXPECT_EQ(TraceLine(c, kTraceSent).size(), 23u) << c;
        EXPECT_EQ(TraceLine(c, kTraceReceived).size(), 41u) << c;
    }
    const std::pair<int, const char*> names[] = {
        {1, "[SOH]"}, {9, "[HT]"},  {21, "[NAK]"},  {27, "[ESC]"}, {30, "[RS]"},
        {31, "[US]"}, {32, "[SP]"}, {127, "[RUB]"}, {126, "~"},    {128, "\x80"}};
    for (const auto& [c, name] : names) {
        EXPECT_EQ(CharName(c), name) << c;
    }
    const std::pair<std::int16_t, const char*> hex[] = {
        {0, "0x00"}, {5, "0x05"}, {171, "0xAB"}, {255, "0xFF"}, {256, "0xxx"}, {261, "0xxx"}};
    for (const auto& [c, text] : hex) {
        EXPECT_EQ(ToHexText(c), text) << c;
    }
    EXPECT_EQ(std::string() + HexDigit(9) + HexDigit(10) + HexDigit(15), "9AF");
}

}  // namespace
}  // namespace espa
