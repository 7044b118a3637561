#include "log/line_trace.h"

#include <gtest/gtest.h>

#include <string>

namespace espa {
namespace {

// Sent lines are 23 characters, received ones indented to 41; any direction but 1 is received.
TEST(LineTrace, LinesHaveTheNameTheCodeAndTheHexCodeInFixedColumns) {
    const std::string indent(18, ' ');
    const struct {
        std::int16_t c, direction;
        std::string line;
    } cases[] = {
        {6, kTraceSent, "TxD: [ACK] 6     0x06  "},
        {32, kTraceSent, "TxD: [SP]  32    0x20  "},
        {0, kTraceSent, "TxD: [NUL] 0     0x00  "},
        {5, kTraceReceived, "RxD: " + indent + "[ENQ] 5     0x05  "},
        {65, kTraceReceived, "RxD: " + indent + "A     65    0x41  "},
        {127, kTraceReceived, "RxD: " + indent + "[RUB] 127   0x7F  "},
        {255, 7, "RxD: " + indent + "\xFF     255   0xFF  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TraceLine(c.c, c.direction), c.line) << c.c;
    }
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(TraceLine(static_cast<std::int16_t>(c), kTraceSent).size(), 23u) << c;
        EXPECT_EQ(TraceLine(static_cast<std::int16_t>(c), kTraceReceived).size(), 41u) << c;
    }
}

TEST(LineTrace, NamesAndHexTexts) {
    const std::pair<int, const char*> names[] = {
        {1, "[SOH]"}, {9, "[HT]"},  {21, "[NAK]"},  {27, "[ESC]"}, {30, "[RS]"},
        {31, "[US]"}, {32, "[SP]"}, {127, "[RUB]"}, {126, "~"},    {128, "\x80"}};
    for (const auto& [c, name] : names) {
        EXPECT_EQ(CharName(c), name) << c;
    }
    const std::pair<int, const char*> hex[] = {{0, "0x00"},   {5, "0x05"},   {171, "0xAB"},
                                               {255, "0xFF"}, {256, "0xxx"}, {261, "0xxx"}};
    for (const auto& [c, text] : hex) {
        EXPECT_EQ(ToHexText(static_cast<std::int16_t>(c)), text) << c;
    }
    EXPECT_EQ(std::string() + HexDigit(9) + HexDigit(10) + HexDigit(15), "9AF");
}

}  // namespace
}  // namespace espa
