#include "central/central_session.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/control_chars.h"

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

TEST(CentralFraming, BlockCarriesTheExclusiveOrOfEverythingAfterSoh) {
    const std::string body{'1', STX, '1', US, '1', '2', '3', ETX};
    char check = 0;
    for (char c : body) {
        check ^= c;
    }
    EXPECT_EQ(FrameBlock('1', {{'1', "123"}}), SOH + body + check);
    const EspaFields fields{{'1', "1234"}, {'2', "Caf\xE9 \x01x"}, {'7', ""}};
    const std::string data = EncodeFields(fields);
    ASSERT_EQ(data.back(), ETX);
    EXPECT_EQ(DecodeFields(data.substr(0, data.size() - 1)), fields);
}

// One turn: the paging system's answer (or time passing), then what the central sends.
struct Turn {
    std::string answer;
    std::string sent;
    int advanceMs = 0;
};

const std::string kSelect{'1', ENQ, '2', ENQ};
const std::string kTransfer = FrameBlock('2', {{'1', "1234"}, {'7', "3"}});
const std::string kBadTransfer =
    kTransfer.substr(0, kTransfer.size() - 1) + char(kTransfer.back() ^ 0x40);

// Queued first: `calls` (a type-3 block when `request`), then a poll when `poll`.
struct SessionCase {
    const char* name;
    std::vector<std::string> calls;
    bool request;
    bool poll;
    std::vector<Turn> turns;
    std::vector<Kind> events;
    std::optional<CentralEvent> last = {};  // with the fields and detail of the last event
    bool idle = true;
};

std::string Call(const char* pager, char header = '1') {
    return FrameBlock(header, {{'1', pager}});
}

// clang-format off
const SessionCase kCases[] = {
    {"call selected, sent and closed with EOT", {"1234"}, false, false,
     {{"", kSelect}, {{ACK}, Call("1234")}, {{ACK}, {EOT}}}, {Kind::CallAccepted}},
    {"NAKed call retried twice with a fresh select, then refused", {"9"}, false, false,
     {{"", kSelect}, {{ACK}, Call("9")}, {{NAK}, kSelect}, {{ACK}, Call("9")}, {{NAK}, kSelect},
      {{ACK}, Call("9")}, {{NAK}, ""}},
     {Kind::CallRefused}},
    {"status request answered 1 NAK is refused without a retry", {"5"}, true, false,
     {{"", kSelect}, {{ACK}, Call("5", '3')}, {{'1', NAK}, ""}}, {Kind::StatusRequestRefused}},
    {"poll takes a status transfer and waits for the EOT", {}, false, true,
     {{"", {'2', ENQ}}, {{'1', ENQ}, {ACK}}, {kTransfer, {ACK}}}, {Kind::StatusTransfer},
     CentralEvent{Kind::StatusTransfer, {{'1', "1234"}, {'7', "3"}}, {}}, false},
    {"status transfer with a wrong check is NAKed", {}, false, true,
     {{"", {'2', ENQ}}, {{'1', ENQ}, {ACK}}, {kBadTransfer, {NAK}}}, {Kind::BadStatusTransfer},
     {}, false},
    {"poll answered empty", {}, false, true, {{"", {'2', ENQ}}, {{EOT}, ""}}, {Kind::PollEmpty}},
    {"silence for the timeout", {}, false, true,
     {{"", {'2', ENQ}}, {"", "", 999}, {"", "", 1}}, {Kind::NoAnswer},
     CentralEvent{Kind::NoAnswer, {}, "answer to the poll"}},
    {"queued jobs run one after another", {"1"}, false, true,
     {{"", kSelect}, {{ACK}, Call("1")}, {{ACK}, {EOT, '2', ENQ}}}, {Kind::CallAccepted}, {},
     false},
    {"unexpected answer ends the exchange", {"1"}, false, false, {{"", kSelect}, {{EOT}, ""}},
     {Kind::UnexpectedAnswer}, CentralEvent{Kind::UnexpectedAnswer, {{'1', "1"}}, {EOT}}},
};
// clang-format on

TEST(CentralSession, EachExchangeSendsItsBytesAndReportsOnce) {
    for (const SessionCase& c : kCases) {
        SCOPED_TRACE(c.name);
        CentralSession central{CentralSession::Timing{1000, 2}};
        for (const std::string& pager : c.calls) {
            c.request ? central.QueueStatusRequest({{'1', pager}})
                      : central.QueueCall({{'1', pager}});
        }
        if (c.poll) {
            central.QueuePoll();
        }
        std::vector<CentralEvent> events;
        for (const Turn& turn : c.turns) {
            for (char byte : turn.answer) {
                central.Receive(byte);
            }
            central.Advance(turn.advanceMs);
            EXPECT_EQ(central.TakeOutput(), turn.sent);
            for (CentralEvent& e : central.TakeEvents()) {
                events.push_back(std::move(e));
            }
            // 999 ms is short of the timeout: nothing is reported yet.
            EXPECT_TRUE(turn.advanceMs != 999 || events.empty());
        }
        std::vector<Kind> kinds;
        for (const CentralEvent& e : events) {
            kinds.push_back(e.kind);
        }
        EXPECT_EQ(kinds, c.events);
        if (c.last) {
            EXPECT_EQ(events.back().fields, c.last->fields);
            EXPECT_EQ(events.back().detail, c.last->detail);
        }
        EXPECT_EQ(central.Idle(), c.idle);
    }
}

}  // namespace
}  // namespace espa
