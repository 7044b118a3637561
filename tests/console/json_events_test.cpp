// The lines of --json, byte for byte, as the engine reports its events on an emulator driven tick
// by tick: a rig's parser or diff sees exactly these, whatever the log level.
#include "json_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include "scripted_central.h"

namespace espa::test {
namespace {

using Lines = std::vector<std::string>;

class Harness final : public ScriptedCentral {
  public:
    Harness() { emulator.SetEventObserver(&json); }
    ~Harness() override { emulator.SetEventObserver(nullptr); }
    void TestBody() override {}

    // The lines written since the last call, each as "event rest-of-object": the time, checked
    // here to be local ISO 8601 with milliseconds, left out.
    Lines Take() {
        static const std::regex head(
            R"re(^\{"event":"([a-z_]+)","time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}"(,|\}$))re");
        Lines lines;
        std::istringstream in(std::exchange(m_out, {}).str());
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            EXPECT_TRUE(std::regex_search(line, match, head)) << line;
            lines.push_back(match[1].str() + (match[2] == "," ? " " + match.suffix().str() : ""));
        }
        return lines;
    }

    using ScriptedCentral::emulator;
    using ScriptedCentral::Exchange;
    using ScriptedCentral::fake;
    using ScriptedCentral::Feed;
    using ScriptedCentral::logged;
    using ScriptedCentral::Poll;
    using ScriptedCentral::PollForStatusTransfer;
    using ScriptedCentral::Select;
    using ScriptedCentral::SendBlock;
    using ScriptedCentral::Start;
    using ScriptedCentral::StoreCall;
    using ScriptedCentral::Ticks;
    using ScriptedCentral::view;

    std::ostringstream m_out;
    JsonEventWriter json{m_out, [](int n) { return "/dev/ttyS" + std::to_string(n - 1); }};
};

TEST(JsonEvents, PortOpenAndCloseAreReported) {
    Harness t;
    t.emulator.Settings().Logfile = 0;
    t.emulator.Settings().BaudRate = 5;
    ASSERT_EQ(t.emulator.OpenPortFromSettings(), 0);
    t.emulator.Shutdown();
    t.fake.refuse.insert("PortOpen");
    EXPECT_EQ(t.emulator.OpenPortFromSettings(), -1);
    EXPECT_EQ(t.Take(),
              (Lines{R"(port_opened "port":1,"device":"/dev/ttyS0","settings":"19200,N,7,1"})",
                     "port_closed", R"(port_open_failed "port":1,"device":"/dev/ttyS0"})"}));
}

// Each exchange at log level 0, from a started handler; the lines it wrote.
TEST(JsonEvents, EveryExchangeReportsWhatHappenedInIt) {
    const std::string data = std::string(1, SOH) + "1" + STX + "1" + US + "12";
    std::string damaged = CallBlock({{'1', "1234"}});
    damaged.back() = static_cast<char>(damaged.back() ^ 0x40);
    const std::string stored1 =
        R"(call_stored "position":0,"pager":"1","info":"","bleep":"","call_type":"","nr_of_tx":"",)"
        R"("priority":"","status":"NIEUW"})";
    const struct {
        Emulation mode;
        std::function<void(Harness&)> exchange;
        Lines lines;
    } cases[] = {
        {Emulation::Philips,
         [&](Harness& t) {
             ASSERT_EQ(t.SendBlock(CallBlock({{'1', "1234"},
                                              {'2', "Caf\xE9 \"A\"\n"},
                                              {'3', "2"},
                                              {'4', "1"},
                                              {'5', "3"},
                                              {'6', "9"}})),
                       Ch(ACK));
         },
         {R"(call_stored "position":0,"pager":"1234","info":"Caf\u00e9 \"A\"\n","bleep":"2",)"
          R"("call_type":"1","nr_of_tx":"3","priority":"9","status":"NIEUW"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.StoreCall("1");
             t.StoreCall("2");
             t.Take();
             ASSERT_EQ(t.SendBlock(RequestBlock({{'1', "2"}})), Ch(ACK));
             ASSERT_EQ(t.SendBlock(RequestBlock({{'1', "999"}})), Ch(NAK));
             ASSERT_EQ(t.SendBlock(damaged), Ch(NAK));
         },
         {R"(status_request "pager":"2","found":true,"position":1})",
          R"(status_request "pager":"999","found":false,"position":null})",
          R"(nak_sent "reason":"status_request_not_found"})",
          R"(nak_sent "reason":"bad_check_character"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.view.selectedStatus = "QUEUE";
             t.StoreCall("1");
             ASSERT_NE(t.PollForStatusTransfer().find(std::string("7") + US + "2" + ETX),
                       std::string::npos);
             t.view.selectedStatus = "ABSENT";
             ASSERT_EQ(t.Exchange(Ch(ACK)), Ch(EOT));
             t.PollForStatusTransfer();
         },
         {stored1, R"(status_sent "position":0,"pager":"1","status":"QUEUE","code":"2"})",
          R"(status_sent "position":0,"pager":"1","status":"ABSENT","code":"4"})"}},
        {Emulation::DataCall,
         [&](Harness& t) {
             t.view.selectedStatus = "TERMINATED";
             t.StoreCall("1");
             t.PollForStatusTransfer();
         },
         {stored1, R"(status_sent "position":0,"pager":"1","status":"","code":"5"})"}},
        {Emulation::CommTechWireLess,
         [&](Harness& t) {
             ASSERT_EQ(t.SendBlock(RequestBlock({{'1', "1"}})), std::string("1") + NAK);
         },
         {R"(nak_sent "reason":"commtech_status_request"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.Feed("1");
             t.Ticks(2 + kCharTimeoutTicks);
         },
         {R"(timeout "during":"character"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.Select();
             t.Feed(data);
             t.Ticks(kExchangeTimeoutTicks);
         },
         {R"(timeout "during":"block"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.Select();
             t.Feed(data + ETX);
             t.Ticks(1 + kChecksumTimeoutTicks);
         },
         {R"(timeout "during":"check_character"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.StoreCall("1");
             ASSERT_EQ(t.Poll(), std::string("1") + ENQ);
             t.Ticks(kCharTimeoutTicks + 1);
         },
         {stored1, R"(timeout "during":"select_ack"})"}},
        {Emulation::Philips,
         [&](Harness& t) {
             t.StoreCall("1");
             t.PollForStatusTransfer();
             t.Ticks(kExchangeTimeoutTicks);
         },
         {stored1, R"(status_sent "position":0,"pager":"1","status":"PAGED","code":"3"})",
          R"(timeout "during":"status_ack"})"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Harness t;
        t.Start(c.mode, 0);
        t.Take();
        c.exchange(t);
        EXPECT_EQ(t.Take(), c.lines);
        EXPECT_TRUE(t.logged.empty());
    }
}

// What the program's ports report beside the engine, and the one timeout no exchange above shows.
TEST(JsonEvents, PortsAndMediCallSessionsReportThroughTheSameWriter) {
    Harness t;
    t.json.OnPortLost(1);
    t.json.OnConnected(2, "10.0.0.1:4001");
    t.json.OnTimeout(TimeoutKind::MediCallSession);
    EXPECT_EQ(t.Take(),
              (Lines{R"(port_lost "port":1,"device":"/dev/ttyS0"})",
                     R"(connected "port":2,"device":"/dev/ttyS1","peer":"10.0.0.1:4001"})",
                     R"(timeout "during":"medicall_session"})"}));
}

TEST(JsonEvents, NobodyIsToldOnceTheObserverIsRemoved) {
    Harness t;
    t.Start(Emulation::Philips, 0);
    t.Take();
    t.emulator.SetEventObserver(nullptr);
    t.StoreCall("1");
    EXPECT_TRUE(t.Take().empty());
}

}  // namespace
}  // namespace espa::test
