#include "common/json_text.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <numeric>

namespace espa::test {
namespace {

TEST(JsonText, EscapesAreShortFormsOrSmallHex) {
    const std::pair<std::string, const char*> cases[] = {
        {"a\"b\\c/d", R"("a\"b\\c/d")"},
        {"\b\t\n\f\r", R"("\b\t\n\f\r")"},
        {std::string("\0\1\33\37", 4), R"("\u0000\u0001\u001b\u001f")"},
        {"\x7F\x80\x9F\xA0\xE9\xFF", R"("\u007f\u0080\u009f\u00a0\u00e9\u00ff")"},
        {"\\n\\u00e9", R"("\\n\\u00e9")"},  // a backslash before a letter is text
    };
    for (const auto& [text, written] : cases) {
        EXPECT_EQ(JsonText(Latin1Json(text)), written);
    }
}

TEST(JsonText, MembersKeepTheirOrderAndNumbersAndNullAreBare) {
    Json line = {{"event", "x"}, {"b", -12}, {"a", true}, {"c", nullptr}};
    line[Utf8FromLatin1("\xE9")] = Json::object();
    EXPECT_EQ(JsonText(line), R"({"event":"x","b":-12,"a":true,"c":null,"\u00e9":{}})");
}

// Qt's own JSON reader reads it back.
TEST(JsonText, EveryByteReadsBackAsItsLatin1CharacterFromPlainAscii) {
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    const std::string text = JsonText(Json{{"text", Latin1Json(all)}});
    EXPECT_TRUE(std::ranges::all_of(text, [](char c) { return c >= 0x20 && c < 0x7F; }));
    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(object.value("text").toString(), QString::fromLatin1(all.data(), all.size()));
}

}  // namespace
}  // namespace espa::test
