#include "event_format.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

TEST(JsonText, QuotesBackslashesControlAndHighBytesAreEscaped) {
    EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonString(std::string("\x01\x1F\x00", 3)), R"("\u0001\u001F\u0000")");
    EXPECT_EQ(JsonString("Caf\xE9\x7F\x80\xFF"), R"("Caf\u00E9\u007F\u0080\u00FF")");
}

TEST(JsonText, EveryByteComesBackThroughAJsonReader) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string line = EventJson({Kind::StatusTransfer, {{'2', all}}, all}, 12);
    for (char c : line) {
        ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
            << "raw byte " << int(static_cast<unsigned char>(c));
    }
    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
    EXPECT_EQ(object.value("fields").toObject().value("2").toString().toLatin1().toStdString(),
              all);
    EXPECT_EQ(object.value("detail").toString().toLatin1().toStdString(), all);
    EXPECT_EQ(object.value("ms").toInt(), 12);
}

TEST(JsonEvent, FieldsAreKeyedByIdentifierTheFirstOfARepeatWinsAndDetailComesLast) {
    EXPECT_EQ(EventJson({Kind::StatusTransfer, {{'1', "1001"}, {'7', "3"}, {'1', "9"}}, {}}, 5),
              R"({"event":"status-transfer","fields":{"1":"1001","7":"3"},"ms":5})");
    EXPECT_EQ(EventJson({Kind::PollEmpty, {}, {}}, 0),
              R"({"event":"poll-empty","fields":{},"ms":0})");
    EXPECT_EQ(EventJson({Kind::NoAnswer, {{'1', "7"}}, "ACK of the select"}, 3000),
              R"({"event":"no-answer","fields":{"1":"7"},"detail":"ACK of the select","ms":3000})");
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
