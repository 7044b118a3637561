// The engine's observer seam: every event is reported where it happens, with its facts, and
// whatever the log level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "core/engine_events.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

// Each event as one short text, so a test compares whole sequences.
class RecordingEvents final : public EngineEvents {
  public:
    void OnCallStored(std::int16_t position, const CallPosition& call) override {
        Add("stored " + std::to_string(position) + " " + call.Adres + "/" + call.Info + "/" +
            call.ReturnedStatus);
    }
    void OnStatusRequest(const std::string& pager, std::int16_t position) override {
        Add("request " + pager + " " + std::to_string(position));
    }
    void OnStatusSent(std::int16_t position, const CallPosition& call,
                      const std::string& code) override {
        Add("sent " + std::to_string(position) + " " + call.Adres + " " + call.ReturnedStatus +
            " " + code);
    }
    void OnNakSent(NakReason reason) override { Add("nak " + std::to_string(int(reason))); }
    void OnTimeout(TimeoutKind kind) override { Add("timeout " + std::to_string(int(kind))); }
    void OnPortOpened(std::int16_t port, const std::string& settings) override {
        Add("opened " + std::to_string(port) + " " + settings);
    }
    void OnPortOpenFailed(std::int16_t port) override { Add("failed " + std::to_string(port)); }
    void OnPortClosed() override { Add("closed"); }

    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(events);
        return out;
    }

  private:
    void Add(std::string text) { events.push_back(std::move(text)); }
    std::vector<std::string> events;
};

std::string Nak(NakReason reason) {
    return "nak " + std::to_string(int(reason));
}
std::string Timeout(TimeoutKind kind) {
    return "timeout " + std::to_string(int(kind));
}

using Events = std::vector<std::string>;

const std::string kAck(1, ACK);

class EngineEventsTest : public ScriptedCentral {
  protected:
    EngineEventsTest() { emulator.SetEventObserver(&events); }
    ~EngineEventsTest() override { emulator.SetEventObserver(nullptr); }

    // Level 0 throughout: the events must not need a log.
    void StartQuiet(Emulation mode = Emulation::Philips) {
        Start(mode, 0);
        events.Take();
    }

    RecordingEvents events;
};

TEST_F(EngineEventsTest, PortOpenAndCloseAreReported) {
    emulator.Settings().Logfile = 0;
    emulator.Settings().BaudRate = 5;
    ASSERT_EQ(emulator.OpenPortFromSettings(), 0);
    emulator.Shutdown();
    fake.refuse.insert("PortOpen");
    EXPECT_EQ(emulator.OpenPortFromSettings(), -1);
    EXPECT_EQ(events.Take(), (Events{"opened 1 19200,N,7,1", "closed", "failed 1"}));
}

TEST_F(EngineEventsTest, StoredCallIsReportedWithItsPositionAndFields) {
    StartQuiet();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Caf\xE9"}})), kAck);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "55"}})), kAck);
    EXPECT_EQ(events.Take(), (Events{"stored 0 1234/Caf\xE9/NIEUW", "stored 1 55//NIEUW"}));
    EXPECT_TRUE(logged.empty());
}

TEST_F(EngineEventsTest, StatusTransferIsReportedWithTheCodeThatGoesOut) {
    StartQuiet();
    view.selectedStatus = "QUEUE";
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}})), kAck);
    events.Take();
    const std::string block = PollForStatusTransfer();
    ASSERT_NE(block.find(std::string("7") + US + "2" + ETX), std::string::npos);
    EXPECT_EQ(events.Take(), (Events{"sent 0 1234 QUEUE 2"}));

    view.selectedStatus = "ABSENT";
    EXPECT_EQ(AcknowledgeTransfer(), std::string(1, EOT));
    PollForStatusTransfer();
    EXPECT_EQ(events.Take(), (Events{"sent 0 1234 ABSENT 4"}));
}

TEST_F(EngineEventsTest, DataCallTransferReportsItsCodeWithoutAWord) {
    StartQuiet(Emulation::DataCall);
    view.selectedStatus = "TERMINATED";
    ASSERT_EQ(SendBlock(CallBlock({{'1', "9"}})), kAck);
    events.Take();
    PollForStatusTransfer();
    EXPECT_EQ(events.Take(), (Events{"sent 0 9  5"}));
}

TEST_F(EngineEventsTest, StatusRequestReportsTheFoundPosition) {
    StartQuiet();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1"}})), kAck);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "2"}})), kAck);
    events.Take();
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "2"}})), kAck);
    EXPECT_EQ(events.Take(), (Events{"request 2 1"}));
}

TEST_F(EngineEventsTest, StatusRequestNotFoundIsReportedWithItsNak) {
    StartQuiet();
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "999"}})), std::string(1, NAK));
    EXPECT_EQ(events.Take(), (Events{"request 999 -1", Nak(NakReason::StatusRequestNotFound)}));
}

TEST_F(EngineEventsTest, WrongCheckCharacterIsReportedAsNak) {
    StartQuiet();
    std::string block = CallBlock({{'1', "1234"}});
    block.back() = static_cast<char>(block.back() ^ 0x40);
    EXPECT_EQ(SendBlock(block), std::string(1, NAK));
    EXPECT_EQ(events.Take(), (Events{Nak(NakReason::BadCheckCharacter)}));
}

TEST_F(EngineEventsTest, CommTechStatusRequestIsReportedAsNak) {
    StartQuiet(Emulation::CommTechWireLess);
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "1"}})), std::string("1") + NAK);
    EXPECT_EQ(events.Take(), (Events{Nak(NakReason::CommTechStatusRequest)}));
}

TEST_F(EngineEventsTest, MissingCharacterOfASelectIsATimeout) {
    StartQuiet();
    Feed("1");
    Ticks(1 + kCharTimeoutTicks);
    EXPECT_TRUE(events.Take().empty());
    Tick();
    EXPECT_EQ(events.Take(), (Events{Timeout(TimeoutKind::Character)}));
}

TEST_F(EngineEventsTest, UnfinishedBlockIsATimeout) {
    StartQuiet();
    Select();
    Feed(std::string(1, SOH) + "1" + STX + "1" + US + "12");
    Ticks(kExchangeTimeoutTicks - 1);
    EXPECT_TRUE(events.Take().empty());
    Tick();
    EXPECT_EQ(events.Take(), (Events{Timeout(TimeoutKind::Block)}));
}

TEST_F(EngineEventsTest, MissingCheckCharacterIsATimeout) {
    StartQuiet();
    Select();
    Feed(std::string(1, SOH) + "1" + STX + "1" + US + "12" + ETX);
    Ticks(1 + kChecksumTimeoutTicks);
    EXPECT_EQ(events.Take(), (Events{Timeout(TimeoutKind::CheckCharacter)}));
}

TEST_F(EngineEventsTest, UnansweredSelectForAStatusTransferIsATimeout) {
    StartQuiet();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1"}})), kAck);
    ASSERT_EQ(Poll(), std::string("1") + ENQ);
    events.Take();
    Ticks(kCharTimeoutTicks + 1);
    EXPECT_EQ(events.Take(), (Events{Timeout(TimeoutKind::SelectAck)}));
}

TEST_F(EngineEventsTest, UnacknowledgedStatusTransferIsATimeout) {
    StartQuiet();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1"}})), kAck);
    PollForStatusTransfer();
    events.Take();
    Ticks(kExchangeTimeoutTicks);
    EXPECT_EQ(events.Take(), (Events{Timeout(TimeoutKind::StatusAck)}));
}

TEST_F(EngineEventsTest, NobodyIsToldOnceTheObserverIsRemoved) {
    StartQuiet();
    emulator.SetEventObserver(nullptr);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1"}})), kAck);
    EXPECT_TRUE(events.Take().empty());
}

}  // namespace
}  // namespace espa::test
