#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "core/control_chars.h"
#include "engine/emulator.h"
#include "espa_frames.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {

// A whole emulator on a fake serial control, with the test playing the central: it puts bytes
// into the receive queue and calls the 25 ms tick itself, one tick at a time.
class ScriptedCentral : public ::testing::Test {
  protected:
    ScriptedCentral() {
        emulator.Lines().SetObserver([this](const std::string& line) {
            logged.push_back(line.substr(EventLog::FormatLine(clock.now, "").size()));
            sentWhenLogged.push_back(fake.tx.size());
        });
    }

    // Opens the port, which starts the handler, and forgets what the open did.
    void Start(Emulation mode = Emulation::Philips, std::int16_t logLevel = 1) {
        emulator.Settings().Emulatie = static_cast<std::int16_t>(mode);
        emulator.Settings().Logfile = logLevel;
        ASSERT_EQ(emulator.OpenPortFromSettings(), 0);
        ASSERT_EQ(State(), StateOf(HandlerState::WaitAddress));
        fake.TakeSent();
        logged.clear();
        sentWhenLogged.clear();
    }

    void Feed(const std::string& bytes) { fake.rx += bytes; }

    std::string Tick() {
        emulator.HandlerTick();
        return fake.TakeSent();
    }
    std::string Ticks(int count) {
        std::string sent;
        while (count-- > 0) {
            sent += Tick();
        }
        return sent;
    }

    // Ticks until something goes out: how many it took, -1 for none within `limit`.
    int StepUntilSent(std::string& sent, int limit = 3000) {
        for (int tick = 1; tick <= limit; ++tick) {
            if (!(sent = Tick()).empty()) {
                return tick;
            }
        }
        return -1;
    }

    // The central sends `bytes`; the emulator's first answer within ten ticks (empty for none).
    std::string Exchange(const std::string& bytes) {
        Feed(bytes);
        std::string sent;
        StepUntilSent(sent, 10);
        return sent;
    }

    // The central selects the emulator; expects the ACK on the fourth tick.
    void Select() {
        Feed(kSelect);
        std::string sent;
        ASSERT_EQ(StepUntilSent(sent, 10), 4);
        ASSERT_EQ(sent, Ch(ACK));
    }

    // Select, then the block; what the emulator answered to the block.
    std::string SendBlock(const std::string& block) { return Select(), Exchange(block); }
    void StoreCall(const std::string& adres) {
        ASSERT_EQ(SendBlock(CallBlock({{'1', adres}})), Ch(ACK));
    }

    std::string Poll() { return Exchange(kPoll); }

    // Poll, take the emulator's select, acknowledge it; the status transfer block it sent.
    std::string PollForStatusTransfer() {
        EXPECT_EQ(Poll(), std::string("1") + ENQ);
        return Exchange(Ch(ACK));
    }
    std::string AcknowledgeTransfer() { return Exchange(Ch(ACK)); }

    // A status transfer of `fields` (as on the line) with status code `code`.
    static std::string Transfer(const std::string& fields, char code) {
        return frames::Block('2', fields + RS + frames::Field('7', std::string(1, code)));
    }

    bool WasLogged(const std::string& text) const {
        return std::find(logged.begin(), logged.end(), text) != logged.end();
    }

    EspaHandler& handler() { return emulator.Handler(); }
    CallTable& table() { return emulator.Table(); }
    std::int16_t State() { return StateOf(handler().State()); }
    static std::int16_t StateOf(HandlerState s) { return static_cast<std::int16_t>(s); }

    TempDir dir;
    FixedClock clock;
    FakeSerialControl fake;
    RecordingView view;
    Emulator emulator{fake, view, clock, dir.path()};
    std::vector<std::string> logged;
    std::vector<std::size_t> sentWhenLogged;  // bytes sent in the current tick when each line came
};

}  // namespace espa::test
