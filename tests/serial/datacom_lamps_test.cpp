#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datacom_fixture.h"

namespace espa::test {
namespace {

constexpr Rgb kTxStartUp{192, 0, 0};
constexpr Rgb kRxStartUp{0, 192, 0};

TEST_F(DatacomTest, OneSentCharacterLightsTxForOneTickThenDark) {
    OpenDefault();
    ASSERT_EQ(datacom.SendChar(6), 0);

    datacom.TickLamps();
    EXPECT_EQ(lamps.tx, kTxBright);
    EXPECT_TRUE(lamps.TxBlink);
    datacom.TickLamps();
    EXPECT_EQ(lamps.tx, kTxDark);
    EXPECT_FALSE(lamps.TxActivity);
    EXPECT_FALSE(lamps.TxBlink);
    datacom.TickLamps();
    EXPECT_EQ(lamps.tx, kTxDark);
    EXPECT_EQ(lamps.rx, kRxStartUp);
}

TEST_F(DatacomTest, OneReceivedCharacterLightsRxForOneTickThenDark) {
    OpenDefault();
    control.rx = "\x05";
    ASSERT_EQ(datacom.ReadChar(), 5);

    std::vector<Rgb> seen;
    for (int tick = 0; tick < 3; ++tick) {
        datacom.TickLamps();
        seen.push_back(lamps.rx);
    }
    EXPECT_EQ(seen, (std::vector<Rgb>{kRxBright, kRxDark, kRxDark}));
    EXPECT_EQ(lamps.tx, kTxStartUp);
}

TEST_F(DatacomTest, ContinuousTrafficAlternatesBrightAndDark) {
    OpenDefault();
    std::vector<Rgb> seen;
    for (int tick = 0; tick < 4; ++tick) {
        ASSERT_EQ(datacom.SendChar(65), 0);
        datacom.TickLamps();
        seen.push_back(lamps.tx);
    }
    EXPECT_EQ(seen, (std::vector<Rgb>{kTxBright, kTxDark, kTxBright, kTxDark}));
}

TEST_F(DatacomTest, LineLampsFollowCtsAndRts) {
    OpenDefault(1);  // RTS on as opened
    control.cts = false;
    datacom.TickLamps();
    EXPECT_EQ(lamps.cts, kLineInactive);
    EXPECT_EQ(lamps.rts, kLineActive);

    control.cts = true;
    control.rts = false;
    datacom.TickLamps();
    EXPECT_EQ(datacom.CtsLineState(), 1);
    EXPECT_EQ(datacom.RtsLineState(), -1);
    EXPECT_EQ(lamps.cts, kLineActive);
    EXPECT_EQ(lamps.rts, kLineInactive);
}

TEST_F(DatacomTest, LineStatesTheControlCannotTellReadInactive) {
    OpenDefault(1);
    control.cts = true;
    control.refuse = {"CTSHolding", "RTSEnable?"};
    EXPECT_EQ(datacom.CtsLineState(), -1);
    EXPECT_EQ(datacom.RtsLineState(), -1);
}

TEST_F(DatacomTest, LampsTickOnAClosedPortWithBothLinesInactive) {
    control.refuse = {"PortOpen"};
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 2), -1);
    control.cts = true;  // whatever the control remembers, a closed port drives nothing
    ASSERT_TRUE(control.rts);

    EXPECT_EQ(datacom.SendChar(65), -1);
    datacom.TickLamps();
    EXPECT_EQ(lamps.tx, kTxBright);
    EXPECT_EQ(lamps.cts, kLineInactive);
    EXPECT_EQ(lamps.rts, kLineInactive);
    datacom.TickLamps();
    EXPECT_EQ(lamps.tx, kTxDark);
}

TEST_F(DatacomTest, RtsClickAtLevelZeroDoesNothing) {
    OpenDefault(0);
    settings.Logfile = 0;
    datacom.LabLinkStatusClick();
    EXPECT_TRUE(control.calls.empty());
    EXPECT_FALSE(control.rts);
    EXPECT_EQ(lines.LogLineCount(), 0);
}

TEST_F(DatacomTest, RtsClickWithHandShakeIsRefused) {
    for (std::int16_t handShake : {1, 2}) {
        OpenDefault(handShake);
        datacom.LabLinkStatusClick();
        EXPECT_TRUE(control.calls.empty()) << handShake;
        EXPECT_TRUE(control.rts) << handShake;
        EXPECT_EQ(
            LoggedTexts(),
            std::vector<std::string>{"STATUS: Wrong HandShakeType, no manual adjustment possible."})
            << handShake;
        datacom.ClosePort();
    }
}

TEST_F(DatacomTest, TwoRtsClicksWithoutHandShakeSwitchRtsOnAndOff) {
    OpenDefault(0);
    datacom.LabLinkStatusClick();
    EXPECT_TRUE(control.rts);
    datacom.TickLamps();
    EXPECT_EQ(lamps.rts, kLineActive);

    datacom.LabLinkStatusClick();
    EXPECT_FALSE(control.rts);
    datacom.TickLamps();
    EXPECT_EQ(lamps.rts, kLineInactive);

    EXPECT_EQ(control.calls, (std::vector<std::string>{"RTSEnable=1", "RTSEnable=0"}));
    EXPECT_EQ(LoggedTexts(), (std::vector<std::string>{"STATUS: RTS made ACTIVE (+12V).",
                                                       "STATUS: RTS made INACTIVE (-12V)."}));
}

TEST_F(DatacomTest, RtsClickThatTheControlRefusesReportsNoChange) {
    OpenDefault(0);
    control.refuse = {"RTSEnable"};
    datacom.LabLinkStatusClick();
    EXPECT_FALSE(control.rts);
    control.refuse = {"RTSEnable?"};
    datacom.LabLinkStatusClick();
    EXPECT_FALSE(control.rts);
    EXPECT_EQ(lines.LogLineCount(), 0);
}

TEST_F(DatacomTest, ReopenSetsRtsByHandShakeAgainAfterAManualChange) {
    OpenDefault(0);
    datacom.LabLinkStatusClick();
    ASSERT_TRUE(control.rts);
    datacom.ClosePort();
    ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, 0), 0);
    EXPECT_FALSE(control.rts);
}

}  // namespace
}  // namespace espa::test
