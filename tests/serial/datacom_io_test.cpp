#include <filesystem>
#include <optional>

#include "datacom_fixture.h"

namespace espa::test {
namespace {

// Trace lines as they stand in the debug-log file, written out by hand.
const std::string kSentAckLine = "14:03:07 TxD: [ACK] 6     0x06  \r\n";
const std::string kReceivedEnqLine = "14:03:07 RxD:                   [ENQ] 5     0x05  \r\n";

TEST_F(DatacomTest, SendCharPutsOnlyByteCodesOnTheLineAndLightsTxForEachOneTried) {
    OpenDefault();
    for (std::int16_t code : {256, -1, 32767, -32768}) {
        EXPECT_EQ(datacom.SendChar(code), -1) << code;
    }
    EXPECT_FALSE(lamps.TxActivity);
    for (std::int16_t code : {6, 255, 0}) {
        EXPECT_EQ(datacom.SendChar(code), 0) << code;
    }
    EXPECT_EQ(control.TakeSent(), std::string("\x06\xFF\x00", 3));
    EXPECT_TRUE(lamps.TxActivity);

    lamps.TxActivity = false;
    control.refuse = {"Output"};
    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_EQ(control.TakeSent(), "");
    EXPECT_TRUE(lamps.TxActivity);  // the engine did try to send
}

TEST_F(DatacomTest, ReadCharDeliversOneByteAtATimeSettingInputLenEveryTime) {
    OpenDefault();
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_FALSE(lamps.RxActivity);  // an empty buffer is no activity
    control.rx = std::string("A\x00\xE9", 3);
    EXPECT_EQ(datacom.ReadChar(), 65);
    EXPECT_TRUE(lamps.RxActivity);
    control.inputLen = 5;              // someone reconfigured the control between reads
    EXPECT_EQ(datacom.ReadChar(), 0);  // NUL is a character like any other
    EXPECT_EQ(datacom.ReadChar(), 0xE9);
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_TRUE(lamps.RxActivity);  // and an empty buffer does not put it out either
    EXPECT_EQ(control.calls, Texts(5, "InputLen=1"));
}

TEST_F(DatacomTest, ReadFailsQuietlyOnClosedPortOrRefusedInput) {
    control.rx = "A";
    EXPECT_EQ(datacom.ReadChar(), -1);
    OpenDefault();
    for (const char* refused : {"Input", "InBufferCount", "InputLen"}) {
        control.refuse = {refused};
        EXPECT_EQ(datacom.ReadChar(), -1) << refused;
    }
    control.refuse.clear();
    EXPECT_EQ(datacom.ReadChar(), 'A');
    EXPECT_EQ(lines.LogLineCount(), 0);
}

// A control whose buffer count claims a byte that the read then does not deliver.
struct PhantomByteControl final : FakeSerialControl {
    std::optional<int> InBufferCount() override { return 1; }
};

TEST_F(DatacomTest, ReadThatDeliversNothingIsNotTakenForNul) {
    settings.Logfile = 3;
    PhantomByteControl phantom;
    phantom.open = true;
    Datacom port{phantom, settings, log, view, lamps};
    EXPECT_EQ(port.ReadChar(), -1);
    EXPECT_FALSE(std::filesystem::exists(DebugLogFile()));
}

TEST_F(DatacomTest, CharactersCrossingTheLineAreTracedFromLevelThree) {
    OpenDefault();
    for (std::int16_t level : {0, 1, 2, 3, 4}) {
        settings.Logfile = level;
        control.rx = "\x05";
        ASSERT_EQ(datacom.SendChar(6), 0);
        ASSERT_EQ(datacom.ReadChar(), 5);
        if (level == 2) {
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "DebugLog"));
        }
    }
    // Nothing that did not cross the line is traced.
    datacom.SendChar(256);
    datacom.ReadChar();
    control.refuse = {"Output"};
    datacom.SendChar(7);
    EXPECT_EQ(ReadFile(DebugLogFile()),
              kSentAckLine + kReceivedEnqLine + kSentAckLine + kReceivedEnqLine);
}

constexpr Rgb kTxStartUp{192, 0, 0};
constexpr Rgb kRxStartUp{0, 192, 0};

class DatacomLampsTest : public DatacomTest {
  protected:
    // One lamp's colour after each of `ticks` lamp ticks.
    std::vector<Rgb> Ticks(int ticks, Rgb LampState::*lamp) {
        std::vector<Rgb> seen;
        for (int i = 0; i < ticks; ++i) {
            datacom.TickLamps();
            seen.push_back(lamps.*lamp);
        }
        return seen;
    }
};

TEST_F(DatacomLampsTest, OneCharacterLightsItsOwnLampForOneTickAndTrafficAlternates) {
    OpenDefault();
    ASSERT_EQ(datacom.SendChar(6), 0);
    EXPECT_EQ(Ticks(3, &LampState::tx), (std::vector<Rgb>{kTxBright, kTxDark, kTxDark}));
    EXPECT_FALSE(lamps.TxActivity || lamps.TxBlink);
    EXPECT_EQ(lamps.rx, kRxStartUp);

    control.rx = "\x05";
    ASSERT_EQ(datacom.ReadChar(), 5);
    EXPECT_EQ(Ticks(3, &LampState::rx), (std::vector<Rgb>{kRxBright, kRxDark, kRxDark}));
    EXPECT_FALSE(lamps.RxActivity || lamps.RxBlink);
    EXPECT_EQ(lamps.tx, kTxDark);

    // Under continuous traffic each dark tick clears the activity the next character sets again.
    std::vector<Rgb> seen;
    for (int tick = 0; tick < 4; ++tick) {
        ASSERT_EQ(datacom.SendChar(65), 0);
        seen.push_back(Ticks(1, &LampState::tx)[0]);
    }
    EXPECT_EQ(seen, (std::vector<Rgb>{kTxBright, kTxDark, kTxBright, kTxDark}));
}

TEST_F(DatacomLampsTest, LineLampsFollowCtsAndRtsAndReadInactiveWhenTheControlCannotTell) {
    OpenDefault(1);  // RTS on as opened
    datacom.TickLamps();
    EXPECT_EQ(lamps.cts, kLineInactive);
    EXPECT_EQ(lamps.rts, kLineActive);

    control.cts = true;
    control.rts = false;
    datacom.TickLamps();
    EXPECT_EQ(lamps.cts, kLineActive);
    EXPECT_EQ(lamps.rts, kLineInactive);

    EXPECT_EQ(datacom.CtsLineState(), 1);
    control.rts = true;
    EXPECT_EQ(datacom.RtsLineState(), 1);
    control.refuse = {"CTSHolding", "RTSEnable?"};
    EXPECT_EQ(datacom.CtsLineState(), -1);
    EXPECT_EQ(datacom.RtsLineState(), -1);
}

TEST_F(DatacomLampsTest, LampsTickOnAClosedPortWithBothLinesInactive) {
    control.refuse = {"PortOpen"};
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 2), -1);
    control.cts = true;  // whatever the control remembers, a closed port drives nothing
    ASSERT_TRUE(control.rts);

    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_EQ(Ticks(2, &LampState::tx), (std::vector<Rgb>{kTxBright, kTxDark}));
    EXPECT_EQ(lamps.cts, kLineInactive);
    EXPECT_EQ(lamps.rts, kLineInactive);
}

TEST_F(DatacomLampsTest, RtsClickDoesNothingAtLevelZeroAndIsRefusedWithAHandShake) {
    for (const auto& [level, handShake] : {std::pair{0, 0}, {0, 2}, {1, 1}, {1, 2}}) {
        SCOPED_TRACE("level " + std::to_string(level) + " handshake " + std::to_string(handShake));
        OpenDefault(static_cast<std::int16_t>(handShake));
        settings.Logfile = static_cast<std::int16_t>(level);
        const bool rts = control.rts;

        datacom.LabLinkStatusClick();

        EXPECT_EQ(control.calls, Texts{});
        EXPECT_EQ(control.rts, rts);
        EXPECT_EQ(LoggedTexts(),
                  level == 0
                      ? Texts{}
                      : Texts{"STATUS: Wrong HandShakeType, no manual adjustment possible."});
        datacom.ClosePort();
    }
}

TEST_F(DatacomLampsTest, RtsClicksWithoutHandShakeSwitchRtsUnlessTheControlRefuses) {
    OpenDefault(0);
    datacom.LabLinkStatusClick();
    EXPECT_EQ(Ticks(1, &LampState::rts)[0], kLineActive);
    datacom.LabLinkStatusClick();
    EXPECT_EQ(Ticks(1, &LampState::rts)[0], kLineInactive);

    control.refuse = {"RTSEnable"};
    datacom.LabLinkStatusClick();
    EXPECT_FALSE(control.rts);
    control.rts = true;
    datacom.LabLinkStatusClick();
    EXPECT_TRUE(control.rts);
    control.refuse = {"RTSEnable?"};
    datacom.LabLinkStatusClick();
    EXPECT_TRUE(control.rts);

    EXPECT_EQ(control.calls, (Texts{"RTSEnable=1", "RTSEnable=0", "RTSEnable=1", "RTSEnable=0"}));
    EXPECT_EQ(LoggedTexts(),
              (Texts{"STATUS: RTS made ACTIVE (+12V).", "STATUS: RTS made INACTIVE (-12V)."}));
}

}  // namespace
}  // namespace espa::test
