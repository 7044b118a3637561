#include "event_format.h"

#include <gtest/gtest.h>

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

// Text fields go by option names and received bytes by name, never raw; JSON keys fields by
// identifier (the first of a repeat wins), puts the detail last and writes 8-bit text as Latin-1.
TEST(EventFormat, EachEventReadsTheSameAsTextAndAsJson) {
    const struct {
        CentralEvent event;
        int ms;
        std::string text, json;
    } cases[] = {
        // clang-format off
        {{Kind::CallAccepted, {{'1', "1001"}, {'2', "Ward 3"}, {'3', "2"}, {'4', "1"}, {'5', "2"},
                               {'6', "3"}, {'8', "x"}}, {}}, 5,
         "call-accepted: address [1001] text [Ward 3] beep [2] type [1] tx [2] priority [3] "
         "field 8 [x]",
         R"({"event":"call-accepted","fields":{"1":"1001","2":"Ward 3","3":"2","4":"1","5":"2",)"
         R"("6":"3","8":"x"},"ms":5})"},
        {{Kind::StatusTransfer, {{'1', "1001"}, {'7', "3"}, {'1', "9"}}, {}}, 5,
         "status-transfer: address [1001] status [3] address [9]",
         R"({"event":"status-transfer","fields":{"1":"1001","7":"3"},"ms":5})"},
        {{Kind::UnexpectedAnswer, {}, std::string("\x15\x01" "A\xE9\x85", 5)}, 1,
         "unexpected-answer: received [[NAK][SOH]A\xC3\xA9[0x85]]",
         R"({"event":"unexpected-answer","fields":{},"detail":"\u0015\u0001A\u00e9\u0085","ms":1})"},
        {{Kind::UnexpectedAnswer, {{'\xE9', "Caf\xE9\n"}}, "\x15\x7F"}, 1,
         "unexpected-answer: field \xC3\xA9 [Caf\xC3\xA9[LF]] received [[NAK][RUB]]",
         R"({"event":"unexpected-answer","fields":{"\u00e9":"Caf\u00e9\n"},)"
         R"("detail":"\u0015\u007f","ms":1})"},
        {{Kind::NoAnswer, {{'1', "7"}}, "ACK of the select"}, 3000,
         "no-answer: address [7] (nothing came while waiting for the ACK of the select)",
         R"({"event":"no-answer","fields":{"1":"7"},"detail":"ACK of the select","ms":3000})"},
        {{Kind::PollEmpty, {}, {}}, 0, "poll-empty", R"({"event":"poll-empty","fields":{},"ms":0})"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EventText(c.event), c.text);
        EXPECT_EQ(EventJson(c.event, c.ms), c.json);
    }
}

}  // namespace
}  // namespace espa
