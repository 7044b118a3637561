#include "event_format.h"

#include <gtest/gtest.h>

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

TEST(JsonEvent, FieldsAreKeyedByIdentifierTheFirstOfARepeatWinsAndDetailComesLast) {
    EXPECT_EQ(EventJson({Kind::StatusTransfer, {{'1', "1001"}, {'7', "3"}, {'1', "9"}}, {}}, 5),
              R"({"event":"status-transfer","fields":{"1":"1001","7":"3"},"ms":5})");
    EXPECT_EQ(EventJson({Kind::PollEmpty, {}, {}}, 0),
              R"({"event":"poll-empty","fields":{},"ms":0})");
    EXPECT_EQ(EventJson({Kind::NoAnswer, {{'1', "7"}}, "ACK of the select"}, 3000),
              R"({"event":"no-answer","fields":{"1":"7"},"detail":"ACK of the select","ms":3000})");
    // 8-bit text as Latin-1, every escape in capital hex, as espa-central has always written it.
    EXPECT_EQ(EventJson({Kind::UnexpectedAnswer, {{'\xE9', "Caf\xE9\n"}}, "\x15\x7F"}, 1),
              R"({"event":"unexpected-answer","fields":{"\u00E9":"Caf\u00E9\u000A"},)"
              R"("detail":"\u0015\u007F","ms":1})");
}

TEST(HumanLine, FieldsGoByOptionNamesAndReceivedBytesByNameNeverRaw) {
    const struct {
        CentralEvent event;
        std::string line;
    } cases[] = {
        {{Kind::CallAccepted,
          {{'1', "1001"},
           {'2', "Ward 3"},
           {'3', "2"},
           {'4', "1"},
           {'5', "2"},
           {'6', "3"},
           {'8', "x"}},
          {}},
         "call-accepted: address [1001] text [Ward 3] beep [2] type [1] tx [2] priority [3] "
         "field 8 [x]"},
        {{Kind::UnexpectedAnswer,
          {},
          std::string("\x15\x01"
                      "A\xE9\x85",
                      5)},
         "unexpected-answer: received [[NAK][SOH]A\xC3\xA9[0x85]]"},
        {{Kind::NoAnswer, {{'1', "7"}}, "ACK of the select"},
         "no-answer: address [7] (nothing came while waiting for the ACK of the select)"},
        {{Kind::PollEmpty, {}, {}}, "poll-empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EventText(c.event), c.line);
    }
}

}  // namespace
}  // namespace espa
