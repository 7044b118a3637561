// Each of the doctor's hints from a central's mistakes on a real line: the emulator on a pty pair
// (or a loopback TCP link) through the real Qt backends, the central played by the test. The
// handler ticks and the line's clock are stepped together, so a minute of silence takes no time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "engine/emulator.h"
#include "espa_frames.h"
#include "fixed_clock.h"
#include "line_ends.h"
#include "recording_view.h"
#include "serial/qt_serial_control.h"
#include "serial/tcp_serial_control.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace frames;
using H = HintCause;

struct Say {
    std::string bytes;
    int thenMs = 200;  // the time the central lets pass after them
};

struct RunCase {
    const char* name;
    std::vector<Say> central;
    std::vector<HintCause> causes;
    std::string says = {};  // part of the hint's text
    PortDevice port = PortDevice::Pty;
    std::int16_t handShake = 0;
    bool echoes = false;  // the central's side sends back at once whatever it hears
};

const std::string kCall = CallBlock({{'1', "1234"}, {'2', "Ward 3"}});

// clang-format off
const RunCase kCases[] = {
    {"check character with SOH in it", {{kSelect}, {CheckFlipped(kCall, SOH)}, {kSelect},
                                        {CheckFlipped(CallBlock({{'1', "22"}}), SOH)}},
     {H::CheckRule}},
    {"7 bits even parity read as 8", {{"\xB1\x05\xB2\x05", 4000}, {"\xB1\x05\xB2\x05", 4000}},
     {H::LineSettings}, "(now 8 bits, parity E, 1 stop bit)"},
    {"silent line", {{"", 31000}}, {H::SilentLine}},
    {"echo", {{kSelect}, {kCall}, {Ch(EOT)}}, {H::Echo}, "", PortDevice::Pty, 0, true},
    {"addresses swapped", {{kPoll + "1\x05", 5000}, {kPoll + "1\x05", 5000}}, {H::OtherAddress}},
    {"CR LF after the check", {{kSelect}, {kCall + "\r\n"}, {Ch(EOT), 1000}, {kSelect},
                               {kCall + "\r\n"}, {Ch(EOT)}},
     {H::BytesAfterCheck}},
    {"request differing from the call", {{kSelect}, {kCall}, {Ch(EOT)}, {kSelect},
                                         {RequestBlock({{'1', "1234"}, {'2', "Ward 4"}})}},
     {H::RequestUnmatched}, "differs in text"},
    {"no poll for a minute", {{kSelect}, {kCall}, {Ch(EOT), 61000}}, {H::NoPoll}},
    {"telnet on TCP", {{"\xFF\xFD\x18\xFF\xFB\x01", 500}}, {H::TelnetNegotiation}, "",
     PortDevice::Tcp},
    // A pty has no modem lines: its CTS says nothing about the central.
    {"RTS/CTS on a pty", {{"", 12000}}, {}, "", PortDevice::Pty, 2},
};
// clang-format on

// The emulator's port of the case's kind, watched, 8 bits even parity, the central at its far end.
struct WatchedRun {
    explicit WatchedRun(const RunCase& c)
        : emulator(c.port == PortDevice::Tcp ? static_cast<SerialControl&>(network) : serial, view,
                   clock, dir.path()) {
        SettingsRecord& settings = emulator.Settings();
        settings.Bits = 1;
        settings.Parity = 1;
        settings.HandShake = c.handShake;
        emulator.SetLineClock([this] { return nowUs; });
        emulator.WatchLine(true);
        EXPECT_EQ(emulator.OpenPortFromSettings(), 0);
        if (c.port == PortDevice::Tcp) {
            link = TcpLink::Connect(tcpPort);
            central = link.get();
        }
    }

    // Handler ticks of 25 ms, a lamp tick every tenth, the clock moving with them.
    void Pass(int ms, bool echoes) {
        for (int tick = 0; tick < ms / 25; ++tick) {
            nowUs += 25'000;
            QCoreApplication::processEvents();
            emulator.HandlerTick();
            if (++ticks % 10 == 0) {
                emulator.LedTick();
            }
            if (const std::string heard = central->Read(std::string::npos, 0ms); echoes) {
                central->Write(heard);
            }
            for (Hint& hint : emulator.Watch()->TakeHints()) {
                hints.push_back(std::move(hint));
            }
        }
    }

    TempDir dir;
    FixedClock clock;
    RecordingView view;
    PtyPair pty;
    const int tcpPort = FreeLoopbackPort();
    QtSerialControl serial{[this](int) { return QString::fromStdString(pty.SlavePath()); }};
    TcpSerialControl network{
        [this](int) { return QStringLiteral("tcp-listen://127.0.0.1:%1").arg(tcpPort); }};
    Emulator emulator;
    std::unique_ptr<TcpLink> link;
    FdLine* central = &pty;
    std::int64_t nowUs = 1'000'000'000;
    int ticks = 0;
    std::vector<Hint> hints;
};

TEST(DoctorOnALine, NamesEachCentralMistake) {
    for (const RunCase& c : kCases) {
        SCOPED_TRACE(c.name);
        WatchedRun run(c);
        ASSERT_NE(run.central, nullptr);
        run.Pass(100, false);
        for (const Say& say : c.central) {
            run.central->Write(say.bytes);
            run.Pass(say.thenMs, c.echoes);
        }
        std::vector<HintCause> causes;
        for (const Hint& hint : run.hints) {
            causes.push_back(hint.cause);
        }
        EXPECT_EQ(causes, c.causes);
        if (!c.says.empty() && !run.hints.empty()) {
            EXPECT_NE(run.hints.front().text.find(c.says), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace espa::test
