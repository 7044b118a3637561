// JSON lines for --json, read back with Qt's own JSON parser.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "calls/call_table.h"
#include "json_events.h"

namespace espa::test {
namespace {

QJsonObject Parse(const std::string& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return document.object();
}

// The one line written by `write`.
template <class Write>
QJsonObject OneLine(Write write) {
    std::ostringstream out;
    JsonEventWriter writer(out, [](int n) { return "/dev/ttyS" + std::to_string(n - 1); });
    write(writer);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(text.back(), '\n');
    return Parse(text.substr(0, text.size() - 1));
}

TEST(JsonString, EveryByteReadsBackAsItsLatin1Character) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string json = JsonString(all);
    // Plain ASCII without control characters, whatever went in.
    for (const char c : json) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20);
        EXPECT_LT(static_cast<unsigned char>(c), 0x7F);
    }
    const QJsonObject object = Parse("{\"text\":" + json + "}");
    EXPECT_EQ(object.value("text").toString(), QString::fromLatin1(all.data(), all.size()));
}

TEST(JsonString, QuotesBackslashesAndLineEndsAreEscaped) {
    EXPECT_EQ(JsonString("a\"b\\c\nd\te"), R"("a\"b\\c\nd\te")");
    EXPECT_EQ(JsonString(std::string("\x00\x1F\xE9", 3)), R"("\u0000\u001f\u00e9")");
}

TEST(JsonEventWriter, StoredCallCarriesEveryField) {
    CallPosition call;
    call.Adres = "1234";
    call.Info = "Caf\xE9 \"A\"";
    call.Bleep = "2";
    call.CallType = "1";
    call.NrOfTx = "3";
    call.Priority = "9";
    call.ReturnedStatus = "NIEUW";
    const QJsonObject event = OneLine([&](JsonEventWriter& w) { w.OnCallStored(4, call); });
    EXPECT_EQ(event.value("event").toString(), "call_stored");
    EXPECT_EQ(event.value("position").toInt(-1), 4);
    EXPECT_EQ(event.value("pager").toString(), "1234");
    EXPECT_EQ(event.value("info").toString(), QString::fromLatin1("Caf\xE9 \"A\""));
    EXPECT_EQ(event.value("bleep").toString(), "2");
    EXPECT_EQ(event.value("call_type").toString(), "1");
    EXPECT_EQ(event.value("nr_of_tx").toString(), "3");
    EXPECT_EQ(event.value("priority").toString(), "9");
    EXPECT_EQ(event.value("status").toString(), "NIEUW");
    EXPECT_FALSE(event.value("time").toString().isEmpty());
}

TEST(JsonEventWriter, StatusRequestSaysWhetherItWasFound) {
    const QJsonObject found = OneLine([](JsonEventWriter& w) { w.OnStatusRequest("77", 3); });
    EXPECT_TRUE(found.value("found").toBool(false));
    EXPECT_EQ(found.value("position").toInt(-1), 3);
    const QJsonObject missing = OneLine([](JsonEventWriter& w) { w.OnStatusRequest("77", -1); });
    EXPECT_FALSE(missing.value("found").toBool(true));
    EXPECT_TRUE(missing.value("position").isNull());
    EXPECT_EQ(missing.value("pager").toString(), "77");
}

TEST(JsonEventWriter, StatusSentCarriesWordAndCode) {
    CallPosition call;
    call.Adres = "5";
    call.ReturnedStatus = "ABSENT";
    const QJsonObject event = OneLine([&](JsonEventWriter& w) { w.OnStatusSent(0, call, "4"); });
    EXPECT_EQ(event.value("event").toString(), "status_sent");
    EXPECT_EQ(event.value("pager").toString(), "5");
    EXPECT_EQ(event.value("status").toString(), "ABSENT");
    EXPECT_EQ(event.value("code").toString(), "4");
}

TEST(JsonEventWriter, NaksAndTimeoutsAreNamed) {
    EXPECT_EQ(OneLine([](JsonEventWriter& w) { w.OnNakSent(NakReason::BadCheckCharacter); })
                  .value("reason")
                  .toString(),
              "bad_check_character");
    EXPECT_EQ(OneLine([](JsonEventWriter& w) { w.OnTimeout(TimeoutKind::StatusAck); })
                  .value("during")
                  .toString(),
              "status_ack");
}

TEST(JsonEventWriter, PortEventsNameTheDevice) {
    const QJsonObject opened = OneLine([](JsonEventWriter& w) { w.OnPortOpened(2, "9600,N,8,1"); });
    EXPECT_EQ(opened.value("event").toString(), "port_opened");
    EXPECT_EQ(opened.value("port").toInt(), 2);
    EXPECT_EQ(opened.value("device").toString(), "/dev/ttyS1");
    EXPECT_EQ(opened.value("settings").toString(), "9600,N,8,1");
    EXPECT_EQ(OneLine([](JsonEventWriter& w) { w.OnPortLost(1); }).value("device").toString(),
              "/dev/ttyS0");
    EXPECT_EQ(OneLine([](JsonEventWriter& w) { w.OnConnected(1, "10.0.0.1:4001"); })
                  .value("peer")
                  .toString(),
              "10.0.0.1:4001");
}

}  // namespace
}  // namespace espa::test
