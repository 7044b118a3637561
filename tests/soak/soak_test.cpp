// Long runs of simulated line traffic: a well-behaved central with random calls, status requests
// and polls, and bursts of line noise between its exchanges. ESPA_SOAK_TICKS sets the length
// (3456000 ticks are 24 hours); the default is the short form that CI runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include "central/central_session.h"
#include "core/make_variant.h"
#include "engine/emulator.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

constexpr int kTickMs = 25;
constexpr long kShortTicks = 200000;  // about 83 simulated minutes per mode
// Long enough for every handler timeout (the longest is 200 ticks) to run out after noise.
constexpr int kQuietTicksAfterNoise = 250;

long SoakTicks() {
    const char* env = std::getenv("ESPA_SOAK_TICKS");
    return env ? std::atol(env) : kShortTicks;
}

// AddressSanitizer keeps freed memory in quarantine, so resident memory grows there by design;
// its leak checker covers that build instead.
#ifndef __has_feature
#define __has_feature(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
constexpr bool kResidentMemoryIsMeaningful = false;
#else
constexpr bool kResidentMemoryIsMeaningful = true;
#endif

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4;  // pages of 4 KiB
}

class Soak {
  public:
    Soak(Emulation mode, unsigned seed)
        : m_random(seed),
          m_central(CentralSession::Timing{6000, 2, VariantFor(mode).transferCheckOffset}) {
        m_emulator.Settings().Emulatie = static_cast<std::int16_t>(mode);
        m_emulator.Settings().Logfile = 1;
        m_emulator.OpenPortFromSettings();
    }

    void Run(long ticks) {
        for (long t = 0; t < ticks; ++t) {
            Tick(t);
        }
    }

    std::map<Kind, long> events;
    long noiseBursts = 0;
    long exchanges = 0;
    long longestRxBuffer = 0;
    long unansweredBlocks = 0;

    Emulator& emulator() { return m_emulator; }

  private:
    void Tick(long t) {
        if (m_quiet > 0) {
            --m_quiet;
        } else if (m_central.Idle() && Chance(20)) {
            StartSomething();
        }
        m_control.rx += m_central.TakeOutput();
        m_emulator.HandlerTick();
        if (t % 10 == 0) {
            m_emulator.LedTick();
        }
        if (t % 40 == 0) {
            m_emulator.BufferTick();
        }
        for (char c : m_control.TakeSent()) {
            m_central.Receive(c);
        }
        m_central.Advance(kTickMs);
        m_control.calls.clear();
        for (const auto& e : m_central.TakeEvents()) {
            ++events[e.kind];
            if (e.kind == Kind::NoAnswer && !e.fields.empty()) {
                ++unansweredBlocks;  // a call or a status request, not a poll
            }
        }
        longestRxBuffer = std::max<long>(longestRxBuffer, m_emulator.Handler().RxBuffer().size());
    }

    bool Chance(int percent) {
        return std::uniform_int_distribution<int>(0, 99)(m_random) < percent;
    }

    std::string RandomValue(int maxLength) {
        std::string value(std::uniform_int_distribution<int>(0, maxLength)(m_random), ' ');
        for (char& c : value) {
            // Any byte but the framing ones, which cannot stand inside a value.
            do {
                c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(m_random));
            } while (std::string_view("\x01\x02\x03\x04\x1E\x1F").find(c) !=
                     std::string_view::npos);
        }
        return value;
    }

    void StartSomething() {
        const int pick = std::uniform_int_distribution<int>(0, 99)(m_random);
        if (pick < 5) {
            // Noise only while the central is silent, then quiet until every timeout has run out.
            m_control.rx += RandomValue(12);
            m_quiet = kQuietTicksAfterNoise;
            ++noiseBursts;
            return;
        }
        ++exchanges;
        if (pick < 40) {
            EspaFields fields{
                {'1', std::to_string(std::uniform_int_distribution<int>(100, 999)(m_random))}};
            if (Chance(70)) {
                fields.emplace_back('2', RandomValue(40));
            }
            if (Chance(30)) {
                fields.emplace_back(
                    '3', std::to_string(std::uniform_int_distribution<int>(1, 9)(m_random)));
            }
            m_lastCall = fields;
            m_central.QueueCall(std::move(fields));
        } else if (pick < 50) {
            m_central.QueueStatusRequest(Chance(80) ? m_lastCall : EspaFields{{'1', "nobody"}});
        } else {
            static const char* const kChoices[] = {"PAGED", "ABSENT", "QUEUE", "TERMINATED"};
            m_view.selectedStatus = kChoices[std::uniform_int_distribution<int>(0, 3)(m_random)];
            m_central.QueuePoll();
        }
    }

    std::mt19937 m_random;
    test::FakeSerialControl m_control;
    test::RecordingView m_view;
    test::FixedClock m_clock;
    test::TempDir m_dir;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    CentralSession m_central;
    EspaFields m_lastCall{{'1', "100"}};
    int m_quiet = 0;
};

class SoakTest : public ::testing::TestWithParam<Emulation> {};

TEST_P(SoakTest, EveryWellFormedExchangeCompletesAndNothingGrows) {
    const long ticks = SoakTicks();
    Soak soak(GetParam(), 20261206u + static_cast<unsigned>(GetParam()));

    soak.Run(ticks / 10);
    const long residentBefore = ResidentKb();
    soak.Run(ticks - ticks / 10);
    const long residentGrowth = ResidentKb() - residentBefore;

    EXPECT_GT(soak.exchanges, ticks / 400);
    EXPECT_GT(soak.noiseBursts, 0);

    // The central never waits in vain and never hears an answer that the exchange does not allow.
    EXPECT_EQ(soak.unansweredBlocks, 0);
    if (GetParam() == Emulation::CommTechWireLess) {
        // A raised check character above 255 is not sent at all: the central waits in vain for
        // it, and every later poll reports on the same call until a new call moves on.
        EXPECT_GT(soak.events[Kind::StatusTransfer], 0);
    } else {
        EXPECT_EQ(soak.events[Kind::NoAnswer], 0);
    }
    EXPECT_EQ(soak.events[Kind::UnexpectedAnswer], 0);
    EXPECT_EQ(soak.events[Kind::BadStatusTransfer], 0);
    EXPECT_EQ(soak.events[Kind::CallRefused], 0);
    EXPECT_GT(soak.events[Kind::CallAccepted], 0);
    EXPECT_GT(soak.events[Kind::PollEmpty] + soak.events[Kind::StatusTransfer], 0);
    if (GetParam() != Emulation::DataCall) {
        EXPECT_GT(soak.events[Kind::StatusTransfer], 0);
    }
    if (GetParam() == Emulation::CommTechWireLess) {
        EXPECT_EQ(soak.events[Kind::StatusRequestAccepted], 0);
    } else {
        EXPECT_GT(soak.events[Kind::StatusRequestAccepted], 0);
    }

    EXPECT_LE(soak.emulator().Lines().LogLineCount(), LogLines::kLineCount);
    EXPECT_LT(soak.longestRxBuffer, 1000);
    if (kResidentMemoryIsMeaningful) {
        EXPECT_LT(residentGrowth, 2048) << "resident memory grew by " << residentGrowth << " KiB";
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, SoakTest,
                         ::testing::Values(Emulation::Philips, Emulation::AscomNira,
                                           Emulation::MediCall, Emulation::DataCall,
                                           Emulation::CommTechWireLess));

}  // namespace
}  // namespace espa
