#include <gtest/gtest.h>

#include <string>

#include "core/engine_events.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

using EmulatorTest = ScriptedCentral;
using DeleteResult = Emulator::DeleteResult;

// Every event as one line of text.
struct RecordingEvents final : EngineEvents {
    void OnCallStored(std::int16_t p, const CallPosition& c) override {
        Add("stored " + std::to_string(p) + " " + c.Adres + " " + c.ReturnedStatus);
    }
    void OnStatusRequest(const std::string& pager, std::int16_t p) override {
        Add("request " + pager + " " + std::to_string(p));
    }
    void OnStatusSent(std::int16_t p, const CallPosition& c, const std::string& code) override {
        Add("sent " + std::to_string(p) + " " + c.Adres + " " + c.ReturnedStatus + " " + code);
    }
    void OnNakSent(NakReason r) override { Add("nak " + std::to_string(static_cast<int>(r))); }
    void OnTimeout(TimeoutKind k) override {
        Add("timeout " + std::to_string(static_cast<int>(k)));
    }
    void OnPortOpened(std::int16_t port, const std::string& settings) override {
        Add("opened " + std::to_string(port) + " " + settings);
    }
    void OnPortOpenFailed(std::int16_t port) override { Add("failed " + std::to_string(port)); }
    void OnPortClosed() override { Add("closed"); }
    void Add(const std::string& event) { seen.push_back(event); }
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
    ASSERT_EQ(emulator.Lines().LogLineCount(), 1);

    emulator.StartEmulation();

    EXPECT_TRUE(table()[3].IsFree());
    EXPECT_EQ(emulator.Lines().LogLineCount(), 0);  // espa.set is missing: level 0
    EXPECT_EQ(view.showCallPositionsCount, 1);
    EXPECT_EQ(view.updateMessageWindowCount, 1);
    EXPECT_EQ(view.shownLines[0], "");
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

    for (const auto& [p, result] : {std::pair{-1, DeleteResult::InvalidPosition},
                                    {10, DeleteResult::InvalidPosition},
                                    {3, DeleteResult::Empty},
                                    {1, DeleteResult::NotAnswered},
                                    {2, DeleteResult::NotAnswered}}) {
        EXPECT_EQ(emulator.DeleteAnsweredCall(p), result) << p;
    }
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table()[p], before[p]) << p;
    }
    EXPECT_EQ(view.showCallPositionsCount, shown);

    EXPECT_EQ(emulator.DeleteAnsweredCall(0), DeleteResult::Deleted);
    EXPECT_EQ(table()[0], before[1]);
    EXPECT_EQ(view.showCallPositionsCount, shown + 1);
}

// The rows below a deleted one move up: the handler's current call moves with its row, so that
// the next poll still reports on it, or is gone with it.
TEST_F(EmulatorTest, TheCurrentCallMovesWithItsRowOrGoesWithIt) {
    Start();
    struct Case {
        const char* current;
        int deleted;
        std::int16_t currentAfter;
    };
    for (const Case& c : {Case{"400", 0, 2}, Case{"400", 3, -1}, Case{"200", 3, 1}}) {
        SCOPED_TRACE(std::string(c.current) + " " + std::to_string(c.deleted));
        emulator.ClearCallPositions();
        for (const char* adres : {"100", "200", "300", "400"}) {
            StoreCall(adres);
        }
        ASSERT_EQ(SendBlock(RequestBlock({{'1', c.current}})), Ch(ACK));
        table()[c.deleted].ReturnedStatus = kStatusPaged;

        ASSERT_EQ(emulator.DeleteAnsweredCall(c.deleted), DeleteResult::Deleted);
        EXPECT_EQ(handler().CurrentPosition(), c.currentAfter);
    }
}

}  // namespace
}  // namespace espa::test
