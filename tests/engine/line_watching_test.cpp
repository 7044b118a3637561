// The emulator's watch on its own line: bytes go to it with the control's stamps, not the tick's.
#include <gtest/gtest.h>

#include <tuple>

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
    // The central's bytes arrive now; the handler gets to them `laterMs` on, and ticks until it
    // has answered.
    void Arrive(const std::string& bytes, std::int64_t laterMs) {
        fake.Arrive(bytes);
        nowUs += laterMs * 1000;
        std::string sent;
        ASSERT_GT(StepUntilSent(sent, 10), 0);
    }

    std::int64_t nowUs = 86'400'000'000;
};

using Seen = std::tuple<Side, FrameKind, std::int64_t>;

TEST_F(LineWatching, FramesComeOutInLineOrderWithTheTimesTheBytesMoved) {
    const std::int64_t start = nowUs;
    Arrive(kSelect, 40);
    Arrive(CallBlock({{'1', "100"}}), 15);
    nowUs += 1'000'000;
    Tick();
    std::vector<Seen> seen;
    for (const Frame& frame : emulator.Watch()->TakeFrames()) {
        seen.emplace_back(frame.side, frame.kind, frame.timeUs - start);
    }
    EXPECT_EQ(seen, (std::vector<Seen>{{Side::Central, FrameKind::Select, 0},
                                       {Side::PagingSystem, FrameKind::Ack, 40'000},
                                       {Side::Central, FrameKind::Block, 40'000},
                                       {Side::PagingSystem, FrameKind::Ack, 55'000}}));
}

TEST_F(LineWatching, AppliedSettingsStartAFreshWatch) {
    fake.Arrive(kSelect);
    SettingsRecord record = emulator.Settings();
    record.Emulatie = static_cast<std::int16_t>(Emulation::MediCall);
    emulator.ApplySettings(record);
    ASSERT_TRUE(emulator.WatchingLine());
    EXPECT_TRUE(emulator.Watch()->TakeFrames().empty());
    fake.Arrive(kPoll);
    EXPECT_EQ(emulator.Watch()->TakeFrames().size(), 1u);
}

// The call goes in unseen (before the watch could read it): only the engine knows a status waits.
TEST_F(LineWatching, TheEngineTellsTheDoctorAStatusIsOwed) {
    Arrive(kPoll, 0);
    StoreCall("100");
    nowUs += LineDoctor::kNoPollUs;
    Tick();
    std::vector<HintCause> causes;
    for (const Hint& hint : emulator.Watch()->TakeHints()) {
        causes.push_back(hint.cause);
    }
    EXPECT_EQ(causes, std::vector<HintCause>{HintCause::NoPoll});
}

TEST_F(LineWatching, SwitchedOffTheControlTellsNobody) {
    ASSERT_NE(fake.tap, nullptr);
    emulator.WatchLine(false);
    EXPECT_FALSE(emulator.WatchingLine());
    EXPECT_EQ(emulator.Watch(), nullptr);
    EXPECT_EQ(fake.tap, nullptr);
}

}  // namespace
}  // namespace espa::test
