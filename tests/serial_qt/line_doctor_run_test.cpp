// The doctor's hints from a central's mistakes on a real line: the emulator on a pty pair or a
// loopback TCP link through the real Qt backends. Ticks and the line's clock step together.
#include <QCoreApplication>

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

using namespace frames;
using H = HintCause;

struct Say {
    std::string bytes;
    int thenMs = 200;  // the time the central lets pass after them
};
enum Setup { Plain, Echo, Tcp, RtsCts };  // Echo: the central's end sends back what it hears
struct RunCase {
    std::vector<Say> central;
    std::vector<HintCause> causes;
    std::string says = {};  // part of the hints' text
    Setup setup = Plain;
};

const std::string kCall = CallBlock({{'1', "1234"}, {'2', "Ward 3"}});

// clang-format off
const RunCase kCases[] = {
    {{{"\xB1\x05\xB2\x05", 4000}, {"\xB1\x05\xB2\x05", 4000}}, {H::LineSettings},  // 7E1 select
     "(now 8 bits, parity E, 1 stop bit)"},
    {{{"", 31000}}, {H::SilentLine}},
    {{{kSelect}, {kCall}, {Ch(EOT)}}, {H::Echo}, "", Echo},
    {{{kSelect}, {kCall}, {Ch(EOT)}, {kSelect}, {RequestBlock({{'1', "1234"}, {'2', "Ward 4"}})}},
     {H::RequestUnmatched}, "differs in text"},  // from the engine's call table
    {{{kPoll + "1\x05", 5000}, {kPoll + "1\x05", 5000}}, {H::OtherAddress}},
    {{{kSelect}, {kCall + "\r\n"}, {Ch(EOT), 1000}, {kSelect}, {kCall + "\r\n"}, {Ch(EOT)}},
     {H::BytesAfterCheck}},
    {{{kSelect}, {kCall}, {Ch(EOT), 61000}}, {H::NoPoll}},  // the check rule: the decode run's
    {{{"\xFF\xFD\x18\xFF\xFB\x01", 500}}, {H::TelnetNegotiation}, "", Tcp},
    {{{"", 12000}}, {}, "", RtsCts},  // a pty has no modem lines: its CTS tells nothing
};
// clang-format on

TEST(DoctorOnALine, NamesEachCentralMistakeThatTheRealLineShows) {
    for (const RunCase& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        TempDir dir;
        FixedClock clock;
        RecordingView view;
        PtyPair pty;
        const int tcpPort = FreeLoopbackPort();
        QtSerialControl serial{[&](int) { return QString::fromStdString(pty.SlavePath()); }};
        TcpSerialControl network{
            [&](int) { return QStringLiteral("tcp-listen://127.0.0.1:%1").arg(tcpPort); }};
        Emulator emulator(c.setup == Tcp ? static_cast<SerialControl&>(network) : serial, view,
                          clock, dir.path());
        emulator.Settings().Bits = 1;  // 8 bits even parity
        emulator.Settings().Parity = 1;
        emulator.Settings().HandShake = c.setup == RtsCts ? 2 : 0;
        std::int64_t nowUs = 1'000'000'000;
        emulator.SetLineClock([&] { return nowUs; });
        emulator.WatchLine(true);
        ASSERT_EQ(emulator.OpenPortFromSettings(), 0);
        const std::unique_ptr<TcpLink> link = c.setup == Tcp ? TcpLink::Connect(tcpPort) : nullptr;
        FdLine* central = c.setup == Tcp ? static_cast<FdLine*>(link.get()) : &pty;
        ASSERT_NE(central, nullptr);
        std::vector<HintCause> causes;
        std::string texts;
        const auto pass = [&](int ms) {  // 25 ms handler ticks, a lamp tick every tenth
            for (int tick = 0; tick < ms / 25; ++tick) {
                nowUs += 25'000;
                QCoreApplication::processEvents();
                emulator.HandlerTick();
                if (nowUs % 250'000 == 0) {
                    emulator.LedTick();
                    for (const Hint& hint : emulator.LatestOnLine().hints) {
                        causes.push_back(hint.cause);
                        texts += hint.text;
                    }
                }
                if (const std::string heard = central->ReadFor({}); c.setup == Echo) {
                    central->Write(heard);
                }
            }
        };
        pass(100);
        for (const Say& say : c.central) {
            central->Write(say.bytes);
            pass(say.thenMs);
        }
        EXPECT_EQ(causes, c.causes);
        EXPECT_NE(texts.find(c.says), std::string::npos) << texts;
    }
}

}  // namespace
}  // namespace espa::test
