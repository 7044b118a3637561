// The lines of --json, byte for byte: a rig's parser or diff sees these, whatever the log level.
#include "json_events.h"

#include <functional>
#include <regex>
#include <sstream>

#include "faults/fault_spec.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

using Lines = std::vector<std::string>;

class JsonEvents : public ScriptedCentral {
  protected:
    JsonEvents() { emulator.SetEventObserver(&json); }
    ~JsonEvents() override { emulator.SetEventObserver(nullptr); }

    // The lines since the last call as "event rest-of-object", the time (local ISO 8601) checked.
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
    std::ostringstream m_out;
    JsonEventWriter json{m_out, [](int n) { return "/dev/ttyS" + std::to_string(n - 1); }};
};

TEST_F(JsonEvents, EachEventIsOneLineOfItsOwn) {
    const CallPosition call{"1234", "Caf\xE9 \"A\"\n", "2", "1", "3", "9", "NIEUW"};
    using enum TimeoutKind;
    using enum NakReason;
    JsonEventWriter& j = json;
    const std::pair<std::function<void()>, std::string> cases[] = {
        // clang-format off
        {[&] { j.OnPortOpened(1, "19200,N,7,1"); },
         R"(port_opened "port":1,"device":"/dev/ttyS0","settings":"19200,N,7,1"})"},
        {[&] { j.OnPortOpenFailed(1); }, R"(port_open_failed "port":1,"device":"/dev/ttyS0"})"},
        {[&] { j.OnPortClosed(); }, "port_closed"},
        {[&] { j.OnPortLost(1); }, R"(port_lost "port":1,"device":"/dev/ttyS0"})"},
        {[&] { j.OnConnected(2, "10.0.0.1:4001"); },
         R"(connected "port":2,"device":"/dev/ttyS1","peer":"10.0.0.1:4001"})"},
        {[&] { j.OnCallStored(3, call); },
         R"(call_stored "position":3,"pager":"1234","info":"Caf\u00e9 \"A\"\n","bleep":"2",)"
         R"("call_type":"1","nr_of_tx":"3","priority":"9","status":"NIEUW"})"},
        {[&] { j.OnStatusRequest("2", 1); },
         R"(status_request "pager":"2","found":true,"position":1})"},
        {[&] { j.OnStatusRequest("999", -1); },
         R"(status_request "pager":"999","found":false,"position":null})"},
        {[&] { j.OnNakSent(BadCheckCharacter); }, R"(nak_sent "reason":"bad_check_character"})"},
        {[&] { j.OnNakSent(StatusRequestNotFound); },
         R"(nak_sent "reason":"status_request_not_found"})"},
        {[&] { j.OnTimeout(Character); }, R"(timeout "during":"character"})"},
        {[&] { j.OnTimeout(Block); }, R"(timeout "during":"block"})"},
        {[&] { j.OnTimeout(MediCallSession); }, R"(timeout "during":"medicall_session"})"},
        {[&] { j.OnFault({{FaultKind::Silent, 0, 0, 50}, "silent:50", 7, 9, "deaf"}); },
         R"(fault "fault":"silent:50","kind":"silent","detail":"deaf","start_us":7,"end_us":9})"},
        // clang-format on
    };
    for (const auto& [event, line] : cases) {
        SCOPED_TRACE(line);
        event();
        EXPECT_EQ(Take(), Lines{line});
    }
}

// Events the engine's suite does not drive, each from a fresh handler at log level 0; and, once
// removed, the observer hears nothing.
TEST_F(JsonEvents, TheEngineReportsEachExchangeAsItHappens) {
    const std::string data = std::string(1, SOH) + "1" + STX + "1" + US + "12";
    const std::string stored = R"(call_stored "position":0,"pager":"1","info":"","bleep":"",)"
                               R"("call_type":"","nr_of_tx":"","priority":"","status":"NIEUW"})";
    const std::tuple<Emulation, std::function<void()>, Lines> cases[] = {
        // clang-format off
        {Emulation::CommTechWireLess, [&] { SendBlock(RequestBlock({{'1', "1"}})); },
         {R"(nak_sent "reason":"commtech_status_request"})"}},
        {Emulation::DataCall,
         [&] { view.selectedStatus = "TERMINATED"; StoreCall("1"); PollForStatusTransfer();
               AcknowledgeTransfer(); },
         {stored, R"(status_sent "position":0,"pager":"1","status":"","code":"5"})"}},
        {Emulation::Philips, [&] { Select(); Feed(data + ETX); Ticks(1 + kChecksumTimeoutTicks); },
         {R"(timeout "during":"check_character"})"}},
        {Emulation::Philips, [&] { StoreCall("1"); Poll(); Ticks(kCharTimeoutTicks + 1); },
         {stored, R"(timeout "during":"select_ack"})"}},
        {Emulation::Philips,
         [&] { StoreCall("1"); PollForStatusTransfer(); Ticks(kExchangeTimeoutTicks); },
         {stored, R"(status_sent "position":0,"pager":"1","status":"PAGED","code":"3"})",
          R"(timeout "during":"status_ack"})"}},
        {Emulation::Philips, [&] { emulator.SetEventObserver(nullptr); StoreCall("1"); }, {}},
        // clang-format on
    };
    for (const auto& [mode, exchange, lines] : cases) {
        SCOPED_TRACE(lines.empty() ? "observer removed" : lines.back());
        emulator.Shutdown();
        table().InitCallTable();
        view.selectedStatus = "PAGED";
        Start(mode, 0);
        Take();
        exchange();
        EXPECT_EQ(Take(), lines);
        EXPECT_TRUE(logged.empty());
    }
}

}  // namespace
}  // namespace espa::test
