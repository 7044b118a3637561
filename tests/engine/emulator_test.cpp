#include <gtest/gtest.h>

#include "core/engine_events.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

using EmulatorTest = ScriptedCentral;
using R = Emulator::DeleteResult;

struct RecordingEvents final : EngineEvents {
    void OnCallStored(std::int16_t p, const CallPosition& c) override { Add("stored", p, Row(c)); }
    void OnStatusRequest(const std::string& s, std::int16_t p) override { Add("request " + s, p); }
    void OnStatusSent(std::int16_t p, const CallPosition& c, const std::string& code) override {
        Add("sent", p, Row(c) + " " + code);
    }
    void OnNakSent(NakReason r) override { Add("nak", static_cast<int>(r)); }
    void OnTimeout(TimeoutKind k) override { Add("timeout", static_cast<int>(k)); }
    void OnPortOpened(std::int16_t n, const std::string& s) override { Add("opened", n, s); }
    void OnPortOpenFailed(std::int16_t port) override { Add("failed", port); }
    void OnPortClosed() override { seen.push_back("closed"); }
    static std::string Row(const CallPosition& c) { return c.Adres + " " + c.ReturnedStatus; }
    void Add(const std::string& event, int n, const std::string& more = "") {
        seen.push_back(event + " " + std::to_string(n) + (more.empty() ? "" : " " + more));
    }
    std::vector<std::string> seen;
};

TEST_F(EmulatorTest, ObserverHearsEachEventOnceAsItHappens) {
    RecordingEvents events;
    emulator.SetEventObserver(&events);
    Start(Emulation::Philips, 0);
    StoreCall("100");
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "100"}})), Ch(ACK));
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "999"}})), Ch(NAK));
    std::string damaged = CallBlock({{'1', "5"}});
    damaged.back() ^= 1;
    EXPECT_EQ(SendBlock(damaged), Ch(NAK));
    view.selectedStatus = kStatusAbsent;
    EXPECT_FALSE(PollForStatusTransfer().empty());
    EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));
    Feed("1");
    EXPECT_EQ(Ticks(kCharTimeoutTicks + 2), "");
    Select();
    EXPECT_EQ(Ticks(kExchangeTimeoutTicks + 1), "");
    emulator.Port().ClosePort();
    fake.refuse = {"PortOpen"};
    EXPECT_EQ(emulator.OpenPortFromSettings(), -1);
    EXPECT_EQ(events.seen,
              (std::vector<std::string>{"opened 1 300,N,7,1", "stored 0 100 NIEUW", "request 100 0",
                                        "request 999 -1", "nak 1", "nak 0", "sent 0 100 ABSENT 4",
                                        "timeout 0", "timeout 1", "closed", "failed 1"}));
}

TEST_F(EmulatorTest, StartUpEmptiesTheTableAndTheScreenLogAndShowsBoth) {
    table()[3].Adres = "old";
    emulator.Settings().Logfile = 1;
    emulator.Log().WriteLog("old line");
    emulator.StartEmulation();
    EXPECT_TRUE(table()[3].IsFree());
    EXPECT_EQ(emulator.Lines().LogLineCount(), 0);  // espa.set is missing: level 0
    EXPECT_EQ(view.showCallPositionsCount, 1);
    EXPECT_EQ(view.updateMessageWindowCount, 1);
    emulator.LedTick();  // at level 0 the lamp tick leaves the screen log alone
    EXPECT_EQ(view.updateMessageWindowCount, 1);
    EXPECT_EQ(view.windowHeightTwips, kShortWindowTwips);
    SettingsRecord record = emulator.Settings();
    record.Logfile = 1;
    fake.calls.clear();
    emulator.ApplySettings(record);  // saved settings reopen the port and grow the window
    emulator.LedTick();
    EXPECT_EQ(fake.calls.front(), "PortOpen=0");
    EXPECT_EQ(fake.calls.back(), "PortOpen=1");
    EXPECT_EQ(view.windowHeightTwips, kTallWindowTwips);
    EXPECT_EQ(view.updateMessageWindowCount, 2);
}

// Only a call the emulator has reported on may go; the view is refreshed only when one did.
TEST_F(EmulatorTest, DeleteAnsweredCallSaysWhatItDid) {
    Start();
    for (const char* adres : {"100", "200", "300"}) {
        StoreCall(adres);
    }
    table()[0].ReturnedStatus = kStatusQueue;
    table()[1].ReturnedStatus = kStatusError;
    const CallTable before = table();
    const int shown = view.showCallPositionsCount;
    std::vector<R> results;
    for (const int p : {-1, 10, 3, 1, 2}) {
        results.push_back(emulator.DeleteAnsweredCall(p));
    }
    EXPECT_EQ(results, (std::vector<R>{R::InvalidPosition, R::InvalidPosition, R::Empty,
                                       R::NotAnswered, R::NotAnswered}));
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table()[p], before[p]) << p;
    }
    EXPECT_EQ(view.showCallPositionsCount, shown);
    EXPECT_EQ(emulator.DeleteAnsweredCall(0), R::Deleted);
    EXPECT_EQ(table()[0], before[1]);
    EXPECT_EQ(view.showCallPositionsCount, shown + 1);
}

// So that the next poll still reports on the current call, it moves with its row.
TEST_F(EmulatorTest, TheCurrentCallMovesWithItsRowOrGoesWithIt) {
    Start();
    for (const auto& [cur, del, after] : {std::tuple{"400", 0, 2}, {"400", 3, -1}, {"200", 3, 1}}) {
        SCOPED_TRACE(std::string(cur) + " " + std::to_string(del));
        emulator.ClearCallPositions();
        for (const char* adres : {"100", "200", "300", "400"}) {
            StoreCall(adres);
        }
        ASSERT_EQ(SendBlock(RequestBlock({{'1', cur}})), Ch(ACK));
        table()[del].ReturnedStatus = kStatusPaged;
        ASSERT_EQ(emulator.DeleteAnsweredCall(del), R::Deleted);
        EXPECT_EQ(handler().CurrentPosition(), after);
    }
}

}  // namespace
}  // namespace espa::test
