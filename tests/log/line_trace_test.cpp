#include <gtest/gtest.h>

#include <string>

#include "fixed_clock.h"
#include "log/event_log.h"
#include "log/line_trace.h"
#include "temp_dir.h"

namespace espa {
namespace {

TEST(LineTrace, SentCharacterLineIsTwentyThreeCharacters) {
    EXPECT_EQ(TraceLine(6, kTraceSent), "TxD: [ACK] 6     0x06  ");
    EXPECT_EQ(TraceLine(32, kTraceSent), "TxD: [SP]  32    0x20  ");
    EXPECT_EQ(TraceLine(0, kTraceSent), "TxD: [NUL] 0     0x00  ");
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(TraceLine(static_cast<std::int16_t>(c), kTraceSent).size(), 23u) << c;
    }
}

TEST(LineTrace, ReceivedCharacterLineIsIndentedToFortyOneCharacters) {
    const std::string indent(18, ' ');
    EXPECT_EQ(TraceLine(5, kTraceReceived), "RxD: " + indent + "[ENQ] 5     0x05  ");
    EXPECT_EQ(TraceLine(65, kTraceReceived), "RxD: " + indent + "A     65    0x41  ");
    EXPECT_EQ(TraceLine(127, kTraceReceived), "RxD: " + indent + "[RUB] 127   0x7F  ");
    EXPECT_EQ(TraceLine(255, kTraceReceived), "RxD: " + indent + "\xFF     255   0xFF  ");
    // Any direction but 1 is received.
    EXPECT_EQ(TraceLine(65, 7), TraceLine(65, kTraceReceived));
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(TraceLine(static_cast<std::int16_t>(c), kTraceReceived).size(), 41u) << c;
    }
}

TEST(LineTrace, ControlCharactersHaveTheirBracketedNames) {
    EXPECT_EQ(CharName(1), "[SOH]");
    EXPECT_EQ(CharName(9), "[HT]");
    EXPECT_EQ(CharName(21), "[NAK]");
    EXPECT_EQ(CharName(27), "[ESC]");
    EXPECT_EQ(CharName(30), "[RS]");
    EXPECT_EQ(CharName(31), "[US]");
    EXPECT_EQ(CharName(32), "[SP]");
    EXPECT_EQ(CharName(127), "[RUB]");
    EXPECT_EQ(CharName(126), "~");
    EXPECT_EQ(CharName(128), "\x80");
}

TEST(LineTrace, HexTextHasTwoUppercaseDigitsOrXxAbove255) {
    EXPECT_EQ(ToHexText(0), "0x00");
    EXPECT_EQ(ToHexText(5), "0x05");
    EXPECT_EQ(ToHexText(171), "0xAB");
    EXPECT_EQ(ToHexText(255), "0xFF");
    EXPECT_EQ(ToHexText(256), "0xxx");
    EXPECT_EQ(ToHexText(261), "0xxx");
    EXPECT_EQ(HexDigit(9), '9');
    EXPECT_EQ(HexDigit(10), 'A');
    EXPECT_EQ(HexDigit(15), 'F');
}

TEST(LineTrace, TraceCharAppendsOneTimeStampedLineToTheDebugLog) {
    test::TempDir dir;
    test::FixedClock clock;
    SettingsRecord settings;
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
    TraceChar(log, 6, kTraceSent);
    TraceChar(log, 5, kTraceReceived);
    EXPECT_EQ(test::ReadFile(dir.path() / "DebugLog" / "05122026.log"),
              "14:03:07 TxD: [ACK] 6     0x06  \r\n"
              "14:03:07 RxD:                   [ENQ] 5     0x05  \r\n");
}

}  // namespace
}  // namespace espa
