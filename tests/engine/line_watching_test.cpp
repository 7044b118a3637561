// The emulator's watch on its own line: bytes go to it with the control's stamps, not the tick's.
#include "scripted_central.h"

namespace espa::test {
namespace {

class LineWatching : public ScriptedCentral {
  protected:
    void SetUp() override {
        Start();
        emulator.SetLineClock([this] { return nowUs; });
        emulator.WatchLine(true);
    }
    void Arrive(const std::string& bytes, std::int64_t laterMs) {
        fake.Arrive(bytes);
        nowUs += laterMs * 1000;
        EXPECT_NE(Exchange(""), "");
    }
    std::int64_t nowUs = 86'400'000'000;
};

TEST_F(LineWatching, FramesComeOutInLineOrderWithTheTimesTheBytesMoved) {
    const std::int64_t start = nowUs;
    Arrive(kSelect, 40);
    Arrive(CallBlock({{'1', "100"}}), 15);
    nowUs += 1'000'000;
    Tick();
    std::vector<std::tuple<Side, FrameKind, std::int64_t>> seen;
    for (const Frame& frame : emulator.Watch()->TakeFrames()) {
        seen.emplace_back(frame.side, frame.kind, frame.timeUs - start);
    }
    constexpr Side C = Side::Central, P = Side::PagingSystem;
    using enum FrameKind;
    EXPECT_EQ(seen, (decltype(seen){
                        {C, Select, 0}, {P, Ack, 40'000}, {C, Block, 40'000}, {P, Ack, 55'000}}));
}

// The call goes in unseen (before the watch could read it): only the engine knows a status waits.
TEST_F(LineWatching, TheEngineTellsTheDoctorAStatusIsOwedSettingsStartAFreshWatchOffTellsNobody) {
    Arrive(kPoll, 0);
    StoreCall("100");
    nowUs += LineDoctor::kNoPollUs;
    Tick();
    const std::vector<Hint> hints = emulator.Watch()->TakeHints();
    EXPECT_TRUE(hints.size() == 1 && hints[0].cause == HintCause::NoPoll);
    fake.Arrive(kSelect);
    SettingsRecord record = emulator.Settings();
    record.Emulatie = static_cast<std::int16_t>(Emulation::MediCall);
    emulator.ApplySettings(record);
    ASSERT_TRUE(emulator.WatchingLine());
    EXPECT_TRUE(emulator.Watch()->TakeFrames().empty());
    // A second front end (the Line view beside --decode) comes and goes: the first one still
    // sees each lamp tick's frames, and the last to leave unhooks the control.
    emulator.WatchLine(true);
    emulator.WatchLine(false);
    fake.Arrive(kPoll);
    emulator.LedTick();
    EXPECT_EQ(emulator.LatestOnLine().frames.size(), 1u);
    emulator.LedTick();
    EXPECT_TRUE(emulator.LatestOnLine().frames.empty());
    emulator.WatchLine(false);
    EXPECT_EQ(emulator.Watch(), nullptr);
    EXPECT_EQ(fake.tap, nullptr);
}

// CTS is read on the lamp tick: under RTS/CTS handshaking only an inactive one becomes advice.
TEST_F(LineWatching, ACtsLeftInactiveUnderRtsCtsHandshakingIsAHint) {
    for (const bool cts : {true, false}) {
        SettingsRecord record = emulator.Settings();
        record.HandShake = 2;
        emulator.ApplySettings(record);
        fake.cts = cts;
        emulator.LedTick();
        nowUs += LineDoctor::kCtsWaitUs;
        Tick();
        emulator.LedTick();
        const std::vector<Hint>& hints = emulator.LatestOnLine().hints;
        EXPECT_EQ(hints.size() == 1 && hints[0].cause == HintCause::CtsInactive, !cts) << cts;
    }
}

// The report's collector gets what the front ends do not take: each lamp tick's closed exchanges,
// and what a watch replaced by new settings had open.
TEST_F(LineWatching, TheCollectorGetsTheClosedExchangesAndWhatAReplacedWatchHadOpen) {
    RunCollector collector;
    emulator.CollectRun(&collector);
    Arrive(kPoll, 30);
    nowUs += 100'000;
    Tick();
    emulator.LedTick();
    EXPECT_EQ(emulator.LatestOnLine().frames.size(), 2u);
    ASSERT_EQ(collector.Exchanges().size(), 1u);
    EXPECT_EQ(collector.Exchanges()[0].outcome, Outcome::PollEmpty);
    Arrive(kSelect, 40);
    emulator.ApplySettings(emulator.Settings());
    ASSERT_EQ(collector.Exchanges().size(), 2u);
    EXPECT_EQ(collector.Exchanges()[1].kind, ExchangeKind::Select);
    emulator.CollectRun(nullptr);
}

}  // namespace
}  // namespace espa::test
