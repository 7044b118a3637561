#include "datacom_fixture.h"

namespace espa::test {
namespace {

TEST(LineSettingsText, IndexesGiveTheTextAndEachOutOfListPieceFallsBackOnItsOwn) {
    struct Case {
        std::int16_t baud, parity, bits, stopBits;
        const char* text;
    };
    const Case cases[] = {{0, 2, 1, 0, "300,O,8,1"},
                          {1, 0, 1, 0, "1200,N,8,1"},
                          {2, 0, 1, 0, "2400,N,8,1"},
                          {3, 0, 1, 0, "4800,N,8,1"},
                          {6, 1, 0, 1, "9600,E,7,2"},
                          {-1, 1, 0, 1, "9600,E,7,2"},
                          {5, 3, 0, 1, "19200,N,7,2"},
                          {5, -1, 0, 1, "19200,N,7,2"},
                          {5, 1, 2, 1, "19200,E,8,2"},
                          {5, 1, -1, 1, "19200,E,8,2"},
                          {5, 1, 0, 2, "19200,E,7,1"},
                          {5, 1, 0, -1, "19200,E,7,1"},
                          {32767, 32767, 32767, 32767, "9600,N,8,1"}};
    for (const Case& c : cases) {
        EXPECT_EQ(LineSettingsText(c.baud, c.parity, c.bits, c.stopBits), c.text)
            << c.baud << " " << c.parity << " " << c.bits << " " << c.stopBits;
    }
}

TEST_F(DatacomTest, OpenSetsTheControlInItsOrderAndShowsThePortByHandShake) {
    struct Case {
        std::int16_t compoort, baud, parity, bits, stopBits, handShake;
        const char *handshaking, *rts, *toolTip, *settings, *caption, *logged;
    };
    const Case cases[] = {
        {0, 4, 0, 1, 0, 0, "0", "0", "RTS status, click here to change", "9600,N,8,1",
         " Serial Port Com1:  9600,N,8,1", "Com: 1 opened for ESPA emulation with: 9600,N,8,1"},
        {7, 4, 0, 1, 0, 1, "0", "1", "", "9600,N,8,1", " Serial Port Com8:  9600,N,8,1",
         "Com: 8 opened for ESPA emulation with: 9600,N,8,1"},
        {1, 5, 1, 0, 1, 2, "2", "1", "", "19200,E,7,2", " Serial Port Com2:  19200,E,7,2",
         "Com: 2 opened for ESPA emulation with: 19200,E,7,2"},
        // Handshake values only a hand-edited espa.set gives behave like RTS/CTS.
        {3, 0, 2, 0, 1, 3, "2", "1", "", "300,O,7,2", " Serial Port Com4:  300,O,7,2",
         "Com: 4 opened for ESPA emulation with: 300,O,7,2"},
        {0, 4, 0, 1, 0, -1, "2", "1", "", "9600,N,8,1", " Serial Port Com1:  9600,N,8,1",
         "Com: 1 opened for ESPA emulation with: 9600,N,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged + std::string(" handshake ") + std::to_string(c.handShake));
        control.calls.clear();
        lines.Clear();

        ASSERT_EQ(datacom.OpenPort(c.compoort, c.baud, c.parity, c.bits, c.stopBits, c.handShake),
                  0);
        EXPECT_EQ(control.calls, (Texts{"CommPort=" + std::to_string(c.compoort + 1),
                                        std::string("Handshaking=") + c.handshaking,
                                        std::string("RTSEnable=") + c.rts,
                                        std::string("Settings=") + c.settings, "NullDiscard=0",
                                        "EOFEnable=0", "DTREnable=1", "InputLen=1", "PortOpen=1"}));
        EXPECT_EQ(view.rtsToolTip, c.toolTip);
        EXPECT_EQ(view.portCaption, c.caption);
        EXPECT_EQ(LoggedTexts(), Texts{c.logged});
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
        EXPECT_FALSE(control.open);
        EXPECT_EQ(LoggedTexts(), Texts{"Error opening ComPort:  10"});
        EXPECT_EQ(view.portCaption, "Serial Port: X");
        EXPECT_EQ(view.rtsToolTip, "RTS status, click on text to change");
    }
}

TEST_F(DatacomTest, CloseSaysWhetherThePortClosed) {
    OpenDefault();
    control.refuse = {"PortOpen"};
    datacom.ClosePort();
    EXPECT_TRUE(control.open);
    control.refuse.clear();
    datacom.ClosePort();
    EXPECT_FALSE(control.open);
    EXPECT_EQ(control.calls, (Texts{"PortOpen=0", "PortOpen=0"}));
    EXPECT_EQ(LoggedTexts(), (Texts{"Error closing comport.", "Comport closed by software."}));
}

}  // namespace
}  // namespace espa::test
