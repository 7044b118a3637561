#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datacom_fixture.h"

namespace espa::test {
namespace {

const std::string kDesignCaption = "Serial Port: X";
const std::string kDesignToolTip = "RTS status, click on text to change";

struct SettingsCase {
    std::int16_t baud, parity, bits, stopBits;
    const char* text;
};

class LineSettingsTextTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(LineSettingsTextTest, IndexesGiveTheLineSettingsText) {
    const SettingsCase& c = GetParam();
    EXPECT_EQ(LineSettingsText(c.baud, c.parity, c.bits, c.stopBits), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    ListsAndFallbacks, LineSettingsTextTest,
    ::testing::Values(
        SettingsCase{4, 0, 1, 0, "9600,N,8,1"}, SettingsCase{5, 1, 0, 1, "19200,E,7,2"},
        SettingsCase{0, 2, 1, 0, "300,O,8,1"}, SettingsCase{1, 0, 1, 0, "1200,N,8,1"},
        SettingsCase{2, 0, 1, 0, "2400,N,8,1"}, SettingsCase{3, 0, 1, 0, "4800,N,8,1"},
        // Out of the lists: each piece falls back on its own.
        SettingsCase{6, 1, 0, 1, "9600,E,7,2"}, SettingsCase{-1, 1, 0, 1, "9600,E,7,2"},
        SettingsCase{5, 3, 0, 1, "19200,N,7,2"}, SettingsCase{5, -1, 0, 1, "19200,N,7,2"},
        SettingsCase{5, 1, 2, 1, "19200,E,8,2"}, SettingsCase{5, 1, -1, 1, "19200,E,8,2"},
        SettingsCase{5, 1, 0, 2, "19200,E,7,1"}, SettingsCase{5, 1, 0, -1, "19200,E,7,1"},
        SettingsCase{32767, 32767, 32767, 32767, "9600,N,8,1"}));

TEST_F(DatacomTest, OpenSetsTheControlInItsOrder) {
    EXPECT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 0), 0);
    const std::vector<std::string> expected{"CommPort=1",          "Handshaking=0", "RTSEnable=0",
                                            "Settings=9600,N,8,1", "NullDiscard=0", "EOFEnable=0",
                                            "DTREnable=1",         "InputLen=1",    "PortOpen=1"};
    EXPECT_EQ(control.calls, expected);
    EXPECT_TRUE(control.open);
    EXPECT_FALSE(control.nullDiscard);
    EXPECT_FALSE(control.eofEnable);
    EXPECT_TRUE(control.dtr);
    EXPECT_EQ(control.inputLen, 1);
}

struct HandShakeCase {
    std::int16_t handShake;
    int handshaking;
    bool rts;
    const char* toolTip;
};

class OpenHandShakeTest : public DatacomTest,
                          public ::testing::WithParamInterface<HandShakeCase> {};

TEST_P(OpenHandShakeTest, HandShakeIndexSetsFlowControlRtsAndToolTip) {
    const HandShakeCase& c = GetParam();
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, c.handShake), 0);
    EXPECT_EQ(control.handshaking, c.handshaking);
    EXPECT_EQ(control.rts, c.rts);
    EXPECT_EQ(view.rtsToolTip, c.toolTip);
}

INSTANTIATE_TEST_SUITE_P(
    AllIndexes, OpenHandShakeTest,
    ::testing::Values(HandShakeCase{0, 0, false, "RTS status, click here to change"},
                      HandShakeCase{1, 0, true, ""}, HandShakeCase{2, 2, true, ""},
                      // Values only a hand-edited espa.set gives behave like RTS/CTS.
                      HandShakeCase{3, 2, true, ""}, HandShakeCase{-1, 2, true, ""}));

TEST_F(DatacomTest, OpenOnPortEightLogsThePortWithItsBlank) {
    ASSERT_EQ(datacom.OpenPort(7, 4, 0, 1, 0, 0), 0);
    EXPECT_EQ(control.port, 8);
    EXPECT_EQ(LoggedTexts(),
              std::vector<std::string>{"Com: 8 opened for ESPA emulation with: 9600,N,8,1"});
    EXPECT_EQ(view.portCaption, " Serial Port Com8:  9600,N,8,1");
}

TEST_F(DatacomTest, PortTenIsTriedWithoutRangeCheckAndItsRefusalLogged) {
    control.refuse = {"CommPort"};
    EXPECT_EQ(datacom.OpenPort(9, 4, 0, 1, 0, 0), -1);
    EXPECT_EQ(control.calls, std::vector<std::string>{"CommPort=10"});
    EXPECT_EQ(LoggedTexts(), std::vector<std::string>{"Error opening ComPort:  10"});
}

TEST_F(DatacomTest, CaptionShowsPortNumberWithoutBlankAndTheSettings) {
    ASSERT_EQ(datacom.OpenPort(1, 5, 1, 0, 1, 2), 0);
    EXPECT_EQ(view.portCaption, " Serial Port Com2:  19200,E,7,2");
    EXPECT_EQ(control.settings, "19200,E,7,2");
    EXPECT_EQ(LoggedTexts(),
              std::vector<std::string>{"Com: 2 opened for ESPA emulation with: 19200,E,7,2"});
}

TEST_F(DatacomTest, SuccessfulOpenIsWrittenToTheDailyLogFromLevelTwo) {
    settings.Logfile = 2;
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 0), 0);
    EXPECT_EQ(ReadFile(dir.path() / "Log" / "05122026.log"),
              "14:03:07 Com: 1 opened for ESPA emulation with: 9600,N,8,1\r\n");
}

class OpenRefusedStepTest : public DatacomTest,
                            public ::testing::WithParamInterface<std::size_t> {};

// Every operation of the open, in its order; refusing the n-th must leave the first n recorded
// and nothing after it.
const std::vector<std::string> kOpenSteps{"CommPort=3",           "Handshaking=2", "RTSEnable=1",
                                          "Settings=19200,E,7,2", "NullDiscard=0", "EOFEnable=0",
                                          "DTREnable=1",          "InputLen=1",    "PortOpen=1"};

TEST_P(OpenRefusedStepTest, RefusalStopsTheOpenThereAndIsLogged) {
    const std::size_t step = GetParam();
    const std::string& call = kOpenSteps[step];
    control.refuse = {call.substr(0, call.find('='))};

    EXPECT_EQ(datacom.OpenPort(2, 5, 1, 0, 1, 2), -1);

    const std::vector<std::string> tried(kOpenSteps.begin(), kOpenSteps.begin() + step + 1);
    EXPECT_EQ(control.calls, tried);
    EXPECT_FALSE(control.open);
    EXPECT_EQ(LoggedTexts(), std::vector<std::string>{"Error opening ComPort:  3"});
    EXPECT_EQ(view.portCaption, kDesignCaption);
    EXPECT_EQ(view.rtsToolTip, kDesignToolTip);
}

INSTANTIATE_TEST_SUITE_P(EachStep, OpenRefusedStepTest, ::testing::Range<std::size_t>(0, 9));

TEST_F(DatacomTest, OpenOnAnOpenPortFailsAtTheFirstStepAndKeepsItOpen) {
    OpenDefault();
    EXPECT_EQ(datacom.OpenPort(1, 4, 0, 1, 0, 0), -1);
    EXPECT_EQ(control.calls, std::vector<std::string>{"CommPort=2"});
    EXPECT_TRUE(control.open);
    EXPECT_EQ(control.port, 1);
    EXPECT_EQ(LoggedTexts(), std::vector<std::string>{"Error opening ComPort:  2"});
}

TEST_F(DatacomTest, FailedOpenAtLevelZeroLeavesNoTrace) {
    settings.Logfile = 0;
    control.refuse = {"PortOpen"};
    EXPECT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 0), -1);
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Log"));
    EXPECT_EQ(view.portCaption, kDesignCaption);
}

TEST_F(DatacomTest, CloseClosesThePortAndSaysSo) {
    OpenDefault();
    datacom.ClosePort();
    EXPECT_FALSE(control.open);
    EXPECT_EQ(control.calls, std::vector<std::string>{"PortOpen=0"});
    EXPECT_EQ(LoggedTexts(), std::vector<std::string>{"Comport closed by software."});
}

TEST_F(DatacomTest, RefusedCloseIsLoggedAsError) {
    OpenDefault();
    control.refuse = {"PortOpen"};
    datacom.ClosePort();
    EXPECT_TRUE(control.open);
    EXPECT_EQ(LoggedTexts(), std::vector<std::string>{"Error closing comport."});
}

TEST_F(DatacomTest, CloseThenOpenWithNewSettingsReconfiguresThePort) {
    OpenDefault();
    datacom.ClosePort();
    ASSERT_EQ(datacom.OpenPort(3, 0, 2, 0, 1, 1), 0);
    EXPECT_EQ(control.port, 4);
    EXPECT_EQ(control.settings, "300,O,7,2");
    EXPECT_EQ(view.portCaption, " Serial Port Com4:  300,O,7,2");
    EXPECT_EQ(view.rtsToolTip, "");
}

}  // namespace
}  // namespace espa::test
