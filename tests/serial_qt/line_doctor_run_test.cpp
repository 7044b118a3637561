// Each of the doctor's hints from a central's mistakes on a real line: the emulator on a pty pair
// (or a loopback TCP link) through the real Qt backends, the central played by the test. The
// handler ticks and the line's clock are stepped together, so a minute of silence takes no time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cctype>
#include <memory>

#include "engine/emulator.h"
#include "espa_frames.h"
#include "fixed_clock.h"
#include "pty_pair.h"
#include "recording_view.h"
#include "serial/qt_serial_control.h"
#include "serial/tcp_serial_control.h"
#include "tcp_peer.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using H = HintCause;

// The central says `bytes`, then lets `thenMs` pass.
struct Say {
    std::string bytes;
    int thenMs = 200;
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

std::string WithCheckFlipped(std::string block, char mask) {
    block.back() = static_cast<char>(block.back() ^ mask);
    return block;
}

const std::string kCall = CallBlock({{'1', "1234"}, {'2', "Ward 3"}});

// clang-format off
const RunCase kCases[] = {
    {"check character with SOH in it",
     {{kSelect}, {WithCheckFlipped(kCall, frames::SOH)}, {kSelect},
      {WithCheckFlipped(CallBlock({{'1', "22"}}), frames::SOH)}},
     {H::CheckRule}},
    {"7 bits even parity read as 8", {{"\xB1\x05\xB2\x05", 4000}, {"\xB1\x05\xB2\x05", 4000}},
     {H::LineSettings}, "(now 8 bits, parity E, 1 stop bit)"},
    {"silent line", {{"", 31000}}, {H::SilentLine}},
    {"echo", {{kSelect}, {kCall}, {Ch(frames::EOT)}}, {H::Echo}, "", PortDevice::Pty, 0, true},
    {"addresses swapped", {{kPoll + "1\x05", 5000}, {kPoll + "1\x05", 5000}}, {H::OtherAddress}},
    {"CR LF after the check",
     {{kSelect}, {kCall + "\r\n"}, {Ch(frames::EOT), 1000}, {kSelect}, {kCall + "\r\n"},
      {Ch(frames::EOT)}},
     {H::BytesAfterCheck}},
    {"request differing from the call",
     {{kSelect}, {kCall}, {Ch(frames::EOT)}, {kSelect},
      {RequestBlock({{'1', "1234"}, {'2', "Ward 4"}})}},
     {H::RequestUnmatched}, "differs in text"},
    {"no poll for a minute with a status owed", {{kSelect}, {kCall}, {Ch(frames::EOT), 61000}},
     {H::NoPoll}},
    {"telnet on TCP", {{"\xFF\xFD\x18\xFF\xFB\x01", 500}}, {H::TelnetNegotiation}, "",
     PortDevice::Tcp},
    // A pty has no modem lines: its CTS says nothing about the central.
    {"RTS/CTS on a pty", {{"", 12000}}, {}, "", PortDevice::Pty, 2},
};
// clang-format on

class DoctorOnALine : public ::testing::TestWithParam<RunCase> {
  protected:
    // Opens the emulator's port of the case's kind, watched, with the central on its far end.
    void Open(const RunCase& c) {
        SerialControl& control =
            c.port == PortDevice::Tcp ? static_cast<SerialControl&>(m_network) : m_serial;
        m_emulator = std::make_unique<Emulator>(control, m_view, m_clock, m_dir.path());
        SettingsRecord& settings = m_emulator->Settings();
        settings.Bits = 1;    // 8
        settings.Parity = 1;  // even
        settings.HandShake = c.handShake;
        m_emulator->SetLineClock([this] { return m_nowUs; });
        m_emulator->WatchLine(true);
        ASSERT_EQ(m_emulator->OpenPortFromSettings(), 0);
        m_central = &m_pty;
        if (c.port == PortDevice::Tcp) {
            m_link = TcpLink::Connect(m_tcpPort, 5s);
            ASSERT_NE(m_link, nullptr);
            m_central = m_link.get();
        }
    }

    // Handler ticks of 25 ms, a lamp tick every tenth, the clock moving with them.
    void Pass(int ms, bool echoes) {
        for (int tick = 0; tick < ms / 25; ++tick) {
            m_nowUs += 25'000;
            QCoreApplication::processEvents();
            m_emulator->HandlerTick();
            if (++m_ticks % 10 == 0) {
                m_emulator->LedTick();
            }
            const std::string heard = m_central->Read(std::string::npos, 0ms);
            if (echoes && !heard.empty()) {
                m_central->Write(heard);
            }
            for (Hint& hint : m_emulator->Watch()->TakeHints()) {
                m_hints.push_back(std::move(hint));
            }
        }
    }

    TempDir m_dir;
    FixedClock m_clock;
    RecordingView m_view;
    PtyPair m_pty;
    QtSerialControl m_serial{[this](int) { return QString::fromStdString(m_pty.SlavePath()); }};
    const int m_tcpPort = FreeLoopbackPort();
    TcpSerialControl m_network{
        [this](int) { return QStringLiteral("tcp-listen://127.0.0.1:%1").arg(m_tcpPort); }};
    std::unique_ptr<Emulator> m_emulator;
    std::unique_ptr<TcpLink> m_link;
    FdLine* m_central = nullptr;
    std::int64_t m_nowUs = 1'000'000'000;
    int m_ticks = 0;
    std::vector<Hint> m_hints;
};

TEST_P(DoctorOnALine, NamesTheCentralsMistake) {
    const RunCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(c));
    Pass(100, false);
    for (const Say& say : c.central) {
        m_central->Write(say.bytes);
        Pass(say.thenMs, c.echoes);
    }
    std::vector<HintCause> causes;
    for (const Hint& hint : m_hints) {
        causes.push_back(hint.cause);
    }
    EXPECT_EQ(causes, c.causes);
    if (!c.says.empty() && !m_hints.empty()) {
        EXPECT_NE(m_hints.front().text.find(c.says), std::string::npos) << m_hints.front().text;
    }
}

INSTANTIATE_TEST_SUITE_P(Line, DoctorOnALine, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RunCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace espa::test
