#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "datacom_fixture.h"

namespace espa::test {
namespace {

// Trace lines as they stand in the debug-log file, written out by hand.
const std::string kSentAckLine = "14:03:07 TxD: [ACK] 6     0x06  \r\n";
const std::string kReceivedEnqLine = "14:03:07 RxD:                   [ENQ] 5     0x05  \r\n";

TEST_F(DatacomTest, SendCharPutsTheByteOnTheLine) {
    OpenDefault();
    EXPECT_EQ(datacom.SendChar(6), 0);
    EXPECT_EQ(datacom.SendChar(255), 0);
    EXPECT_EQ(datacom.SendChar(0), 0);
    EXPECT_EQ(control.TakeSent(), std::string("\x06\xFF\x00", 3));
    EXPECT_TRUE(lamps.TxActivity);
}

TEST_F(DatacomTest, SendCharRefusesCodesOutsideAByte) {
    OpenDefault();
    for (std::int16_t code : {256, -1, 32767, -32768}) {
        EXPECT_EQ(datacom.SendChar(code), -1) << code;
    }
    EXPECT_EQ(control.TakeSent(), "");
    EXPECT_FALSE(lamps.TxActivity);
}

TEST_F(DatacomTest, RefusedSendFailsButStillFlashesTheLamp) {
    OpenDefault();
    control.refuse = {"Output"};
    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_EQ(control.TakeSent(), "");
    EXPECT_TRUE(lamps.TxActivity);
}

TEST_F(DatacomTest, SendOnClosedPortFails) {
    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_EQ(control.TakeSent(), "");
}

TEST_F(DatacomTest, ReadCharDeliversOneByteAtATimeInOrder) {
    OpenDefault();
    control.rx = std::string("A\x00\xE9", 3);
    EXPECT_EQ(datacom.ReadChar(), 65);
    EXPECT_EQ(datacom.ReadChar(), 0);  // NUL is a character like any other
    EXPECT_EQ(datacom.ReadChar(), 0xE9);
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_TRUE(lamps.RxActivity);
}

TEST_F(DatacomTest, ReadCharSetsInputLenOnEveryCall) {
    OpenDefault();
    control.rx = "AB";
    datacom.ReadChar();
    control.inputLen = 5;  // someone reconfigured the control between reads
    EXPECT_EQ(datacom.ReadChar(), 'B');
    EXPECT_EQ(control.calls, (std::vector<std::string>{"InputLen=1", "InputLen=1"}));
    EXPECT_EQ(control.inputLen, 1);
}

TEST_F(DatacomTest, EmptyReceiveBufferLeavesRxActivityAsItWas) {
    OpenDefault();
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_FALSE(lamps.RxActivity);
    lamps.RxActivity = true;
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_TRUE(lamps.RxActivity);
}

TEST_F(DatacomTest, ReadFailsQuietlyOnClosedPortOrRefusedInput) {
    control.rx = "A";
    EXPECT_EQ(datacom.ReadChar(), -1);
    OpenDefault();
    control.refuse = {"Input"};
    EXPECT_EQ(datacom.ReadChar(), -1);
    control.refuse = {"InBufferCount"};
    EXPECT_EQ(datacom.ReadChar(), -1);
    control.refuse.clear();
    EXPECT_EQ(datacom.ReadChar(), 'A');
    EXPECT_EQ(lines.LogLineCount(), 0);
}

// A control whose buffer count claims a byte that the read then does not deliver.
class PhantomByteControl final : public SerialControl {
  public:
    bool SetCommPort(std::int16_t) override { return true; }
    bool SetSettings(const std::string&) override { return true; }
    bool SetHandshaking(int) override { return true; }
    bool SetRTSEnable(bool) override { return true; }
    bool SetDTREnable(bool) override { return true; }
    bool SetNullDiscard(bool) override { return true; }
    bool SetEOFEnable(bool) override { return true; }
    bool SetInputLen(int) override { return true; }
    bool SetPortOpen(bool) override { return true; }
    bool PortOpen() const override { return true; }
    std::optional<int> InBufferCount() override { return 1; }
    std::optional<std::string> Input() override { return std::string(); }
    bool Output(const std::string&) override { return true; }
    std::optional<bool> CTSHolding() override { return false; }
    std::optional<bool> RTSEnable() override { return false; }
};

TEST_F(DatacomTest, ReadThatDeliversNothingIsNotTakenForNul) {
    settings.Logfile = 3;
    PhantomByteControl phantom;
    Datacom port{phantom, settings, log, view, lamps};
    EXPECT_EQ(port.ReadChar(), -1);
    EXPECT_FALSE(std::filesystem::exists(DebugLogFile()));
}

TEST_F(DatacomTest, CharactersAreTracedAtLevelThree) {
    OpenDefault();
    settings.Logfile = 3;
    control.rx = "\x05";
    ASSERT_EQ(datacom.SendChar(6), 0);
    ASSERT_EQ(datacom.ReadChar(), 5);
    EXPECT_EQ(ReadFile(DebugLogFile()), kSentAckLine + kReceivedEnqLine);
}

TEST_F(DatacomTest, HandEditedLevelAboveThreeTracesToo) {
    OpenDefault();
    settings.Logfile = 4;
    ASSERT_EQ(datacom.SendChar(6), 0);
    EXPECT_EQ(ReadFile(DebugLogFile()), kSentAckLine);
}

TEST_F(DatacomTest, NothingIsTracedBelowLevelThree) {
    OpenDefault();
    for (std::int16_t level : {0, 1, 2}) {
        settings.Logfile = level;
        control.rx = "\x05";
        ASSERT_EQ(datacom.SendChar(6), 0);
        ASSERT_EQ(datacom.ReadChar(), 5);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "DebugLog"));
}

TEST_F(DatacomTest, OnlyCharactersThatCrossedTheLineAreTraced) {
    OpenDefault();
    settings.Logfile = 3;
    datacom.SendChar(256);
    datacom.ReadChar();  // nothing waiting
    control.refuse = {"Output"};
    datacom.SendChar(7);
    control.refuse.clear();
    ASSERT_EQ(datacom.SendChar(6), 0);
    EXPECT_EQ(ReadFile(DebugLogFile()), kSentAckLine);
}

}  // namespace
}  // namespace espa::test
