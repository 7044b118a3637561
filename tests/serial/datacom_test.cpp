#include "serial/datacom.h"

#include <gtest/gtest.h>

#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using Texts = std::vector<std::string>;

// One Datacom on a fake control with a real event log; level 1 puts every event line on screen.
class DatacomTest : public ::testing::Test {
  protected:
    DatacomTest() { settings.Logfile = 1; }
    Texts LoggedTexts() const { return Unstamped(lines, clock); }
    void OpenDefault(std::int16_t handShake = 0) {
        settings.HandShake = handShake;
        ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, handShake), 0);
        control.calls.clear();
        lines.Clear();
    }
    // The lamps tx, rx, cts and rts after each of `count` lamp ticks: B bright, d dark, s as at
    // start-up, A active, I inactive.
    std::string Ticks(int count) {
        std::string seen;
        while (count-- > 0) {
            datacom.TickLamps();
            seen += std::string(seen.empty() ? "" : " ") +
                    (lamps.tx == kTxBright ? 'B'
                     : lamps.tx == kTxDark ? 'd'
                                           : 's') +
                    (lamps.rx == kRxBright ? 'B'
                     : lamps.rx == kRxDark ? 'd'
                                           : 's') +
                    (lamps.cts == kLineActive ? 'A' : 'I') + (lamps.rts == kLineActive ? 'A' : 'I');
        }
        return seen;
    }

    TempDir dir;
    FixedClock clock;
    SettingsRecord settings;
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
    FakeSerialControl control;
    RecordingView view;
    LampState lamps;
    Datacom datacom{control, settings, log, view, lamps};
};

TEST(LineSettingsText, IndexesGiveTheText) {
    const std::tuple<std::int16_t, std::int16_t, std::int16_t, std::int16_t, const char*> cases[] =
        {// clang-format off
        {0, 2, 1, 0, "300,O,8,1"}, {1, 0, 1, 0, "1200,N,8,1"}, {2, 0, 1, 0, "2400,N,8,1"},
        {3, 0, 1, 0, "4800,N,8,1"}, {6, 1, 0, 1, "9600,E,7,2"}, {-1, 1, 0, 1, "9600,E,7,2"},
        {5, 3, 0, 1, "19200,N,7,2"}, {5, -1, 0, 1, "19200,N,7,2"}, {5, 1, 2, 1, "19200,E,8,2"},
        {5, 1, -1, 1, "19200,E,8,2"}, {5, 1, 0, 2, "19200,E,7,1"}, {5, 1, 0, -1, "19200,E,7,1"},
        {32767, 32767, 32767, 32767, "9600,N,8,1"}};
    // clang-format on
    for (const auto& [baud, parity, bits, stopBits, text] : cases) {
        EXPECT_EQ(LineSettingsText(baud, parity, bits, stopBits), text);
    }
}

// Handshake values only a hand-edited espa.set gives (3, -1) behave like RTS/CTS.
TEST_F(DatacomTest, OpenSetsTheControlInItsOrderAndShowsThePortByHandShake) {
    struct Case {
        std::int16_t port, baud, parity, bits, stopBits, handShake;
        std::string handshaking, rts, settings;
    };
    const Case cases[] = {{0, 4, 0, 1, 0, 0, "0", "0", "9600,N,8,1"},
                          {7, 4, 0, 1, 0, 1, "0", "1", "9600,N,8,1"},
                          {1, 5, 1, 0, 1, 2, "2", "1", "19200,E,7,2"},
                          {3, 0, 2, 0, 1, 3, "2", "1", "300,O,7,2"},
                          {0, 4, 0, 1, 0, -1, "2", "1", "9600,N,8,1"}};
    for (const Case& c : cases) {
        const std::string com = std::to_string(c.port + 1);
        SCOPED_TRACE("Com" + com + " handshake " + std::to_string(c.handShake));
        control.calls.clear();
        lines.Clear();
        ASSERT_EQ(datacom.OpenPort(c.port, c.baud, c.parity, c.bits, c.stopBits, c.handShake), 0);
        EXPECT_EQ(control.calls,
                  (Texts{"CommPort=" + com, "Handshaking=" + c.handshaking, "RTSEnable=" + c.rts,
                         "Settings=" + c.settings, "NullDiscard=0", "EOFEnable=0", "DTREnable=1",
                         "InputLen=1", "PortOpen=1"}));
        EXPECT_EQ(view.rtsToolTip, c.handShake == 0 ? "RTS status, click here to change" : "");
        EXPECT_EQ(view.portCaption, " Serial Port Com" + com + ":  " + c.settings);
        EXPECT_EQ(LoggedTexts(),
                  Texts{"Com: " + com + " opened for ESPA emulation with: " + c.settings});
        datacom.ClosePort();
    }
}

TEST_F(DatacomTest, RefusalStopsTheOpenAtThatStepAndIsLoggedWithoutRangeCheck) {
    const Texts steps{"CommPort=10",          "Handshaking=2", "RTSEnable=1",
                      "Settings=19200,E,7,2", "NullDiscard=0", "EOFEnable=0",
                      "DTREnable=1",          "InputLen=1",    "PortOpen=1"};
    for (std::size_t step = 0; step < steps.size(); ++step) {
        SCOPED_TRACE(steps[step]);
        control.calls.clear();
        lines.Clear();
        control.refuse = {steps[step].substr(0, steps[step].find('='))};
        EXPECT_EQ(datacom.OpenPort(9, 5, 1, 0, 1, 2), -1);
        EXPECT_EQ(control.calls, Texts(steps.begin(), steps.begin() + step + 1));
        EXPECT_EQ(LoggedTexts(), Texts{"Error opening ComPort:  10"});
        EXPECT_EQ(view.portCaption, "Serial Port: X");
        EXPECT_EQ(view.rtsToolTip, "RTS status, click on text to change");
    }
}

TEST_F(DatacomTest, CloseSaysWhetherThePortClosed) {
    OpenDefault();
    control.refuse = {"PortOpen"};
    datacom.ClosePort();
    control.refuse.clear();
    datacom.ClosePort();
    EXPECT_EQ(control.calls, (Texts{"PortOpen=0", "PortOpen=0"}));
    EXPECT_EQ(LoggedTexts(), (Texts{"Error closing comport.", "Comport closed by software."}));
}

TEST_F(DatacomTest, SendCharPutsOnlyByteCodesOnTheLineAndLightsTxForEachOneTried) {
    OpenDefault();
    std::string results;
    for (std::int16_t code : {256, -1, 32767, -32768, 6, 255, 0}) {
        results += std::to_string(datacom.SendChar(code));
        EXPECT_EQ(lamps.TxActivity, code >= 0 && code < 256) << code;
    }
    EXPECT_EQ(results, "-1-1-1-1000");
    EXPECT_EQ(control.TakeSent(), std::string("\x06\xFF\x00", 3));
    lamps.TxActivity = false;
    control.refuse = {"Output"};
    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_TRUE(lamps.TxActivity);  // the engine did try to send
}

// InputLen is set to 1 before every read, in case someone reconfigured the control.
TEST_F(DatacomTest, ReadCharDeliversOneByteAtATimeAndFailsQuietly) {
    OpenDefault();
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_FALSE(lamps.RxActivity);  // an empty buffer is no activity
    control.rx = std::string("A\x00\xE9", 3);
    for (const char* refused : {"Input", "InBufferCount", "InputLen"}) {
        control.refuse = {refused};
        EXPECT_EQ(datacom.ReadChar(), -1) << refused;
    }
    control.refuse.clear();
    EXPECT_EQ(datacom.ReadChar(), 65);
    EXPECT_TRUE(lamps.RxActivity);
    control.inputLen = 5;
    EXPECT_EQ(datacom.ReadChar(), 0);  // NUL is a character like any other
    EXPECT_EQ(datacom.ReadChar(), 0xE9);
    EXPECT_EQ(datacom.ReadChar(), -1);
    EXPECT_TRUE(lamps.RxActivity);  // nor does it put the lamp out
    EXPECT_EQ(control.calls, Texts(8, "InputLen=1"));
    EXPECT_EQ(lines.LogLineCount(), 0);
}

struct PhantomByteControl final : FakeSerialControl {
    std::optional<int> InBufferCount() override { return 1; }  // but Input delivers nothing
};

TEST_F(DatacomTest, CharactersCrossingTheLineAreTracedFromLevelThree) {
    OpenDefault();
    for (std::int16_t level : {0, 1, 2, 3, 4}) {
        settings.Logfile = level;
        control.rx = "\x05";
        ASSERT_EQ(datacom.SendChar(6), 0);
        ASSERT_EQ(datacom.ReadChar(), 5);
        EXPECT_EQ(std::filesystem::exists(dir.path() / "DebugLog"), level > 2);
    }
    // Nothing that did not cross the line is traced, nor a read that delivered nothing.
    datacom.SendChar(256);
    datacom.ReadChar();
    control.refuse = {"Output"};
    datacom.SendChar(7);
    PhantomByteControl phantom;
    phantom.open = true;
    EXPECT_EQ((Datacom{phantom, settings, log, view, lamps}.ReadChar()), -1);
    const std::string sent = "14:03:07 TxD: [ACK] 6     0x06  \r\n";
    const std::string received = "14:03:07 RxD:                   [ENQ] 5     0x05  \r\n";
    EXPECT_EQ(ReadFile(dir.path() / "DebugLog" / "05122026.log"),
              sent + received + sent + received);
}

// Under continuous traffic each dark tick clears the activity the next character sets again.
TEST_F(DatacomTest, OneCharacterLightsItsOwnLampForOneTickAndTrafficAlternates) {
    OpenDefault();
    ASSERT_EQ(datacom.SendChar(6), 0);
    EXPECT_EQ(Ticks(3), "BsII dsII dsII");
    control.rx = "\x05";
    ASSERT_EQ(datacom.ReadChar(), 5);
    EXPECT_EQ(Ticks(3), "dBII ddII ddII");
    std::string seen;
    for (int tick = 0; tick < 4; ++tick) {
        ASSERT_EQ(datacom.SendChar(65), 0);
        seen += Ticks(1);
    }
    EXPECT_EQ(seen, "BdIIddIIBdIIddII");
}

TEST_F(DatacomTest, LineLampsFollowCtsAndRtsAndReadInactiveWhenTheControlCannotTell) {
    control.refuse = {"PortOpen"};
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 2), -1);
    control.cts = true;  // a closed port drives no line, whatever the control says
    EXPECT_EQ(datacom.SendChar(65), -1);
    EXPECT_EQ(Ticks(1), "BsII");
    control.refuse.clear();
    OpenDefault(1);  // RTS on as opened
    EXPECT_EQ(Ticks(1), "dsAA");
    EXPECT_EQ(datacom.RtsLineState(), 1);
    control.cts = control.rts = false;
    EXPECT_EQ(Ticks(1) + std::to_string(datacom.CtsLineState()), "dsII-1");
    control.cts = control.rts = true;
    control.refuse = {"CTSHolding", "RTSEnable?"};
    EXPECT_EQ(Ticks(1), "dsII");
}

TEST_F(DatacomTest, RtsClickSwitchesRtsWithoutHandShakeOnlyAndIsLoggedAboveLevelZero) {
    for (const auto& [level, handShake] : {std::pair{0, 0}, {0, 2}, {1, 1}, {1, 2}}) {
        SCOPED_TRACE("level " + std::to_string(level) + " handshake " + std::to_string(handShake));
        OpenDefault(static_cast<std::int16_t>(handShake));
        settings.Logfile = static_cast<std::int16_t>(level);
        datacom.LabLinkStatusClick();
        EXPECT_EQ(control.calls, Texts{});
        EXPECT_EQ(LoggedTexts(),
                  Texts(level, "STATUS: Wrong HandShakeType, no manual adjustment possible."));
        datacom.ClosePort();
    }
    OpenDefault(0);
    datacom.LabLinkStatusClick();
    EXPECT_EQ(Ticks(1), "ssIA");
    datacom.LabLinkStatusClick();
    EXPECT_EQ(Ticks(1), "ssII");
    control.refuse = {"RTSEnable"};
    datacom.LabLinkStatusClick();
    control.rts = true;
    control.refuse = {"RTSEnable?"};
    datacom.LabLinkStatusClick();
    EXPECT_EQ(control.calls, (Texts{"RTSEnable=1", "RTSEnable=0", "RTSEnable=1"}));
    EXPECT_EQ(LoggedTexts(),
              (Texts{"STATUS: RTS made ACTIVE (+12V).", "STATUS: RTS made INACTIVE (-12V)."}));
}

}  // namespace
}  // namespace espa::test
