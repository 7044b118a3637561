#include "common/json_text.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace espa::test {
namespace {

TEST(JsonText, EscapesAreShortFormsOrSmallHex) {
    const struct {
        std::string text;
        const char* written;
    } cases[] = {
        {"a\"b\\c/d", R"("a\"b\\c/d")"},
        {"\b\t\n\f\r", R"("\b\t\n\f\r")"},
        {std::string("\x00\x01\x1B\x1F", 4), R"("\u0000\u0001\u001b\u001f")"},
        {"\x7F\x80\x9F\xA0\xE9\xFF", R"("\u007f\u0080\u009f\u00a0\u00e9\u00ff")"},
        // A backslash before a letter is text and is escaped like any other.
        {"\\n\\u00e9", R"("\\n\\u00e9")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonText(Latin1Json(c.text)), c.written) << c.written;
    }
}

TEST(JsonText, MembersKeepTheirOrderAndNumbersAndNullAreBare) {
    Json line;
    line["event"] = "x";
    line["b"] = -12;
    line["a"] = true;
    line["c"] = nullptr;
    line[Utf8FromLatin1("\xE9")] = Json::object();
    EXPECT_EQ(JsonText(line), R"({"event":"x","b":-12,"a":true,"c":null,"\u00e9":{}})");
}

TEST(JsonText, EveryByteReadsBackAsItsLatin1CharacterFromPlainAscii) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    Json line;
    line["text"] = Latin1Json(all);
    const std::string text = JsonText(line);
    EXPECT_TRUE(std::ranges::all_of(text, [](char c) { return c >= 0x20 && c < 0x7F; }));
    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(object.value("text").toString(), QString::fromLatin1(all.data(), all.size()));
}

}  // namespace
}  // namespace espa::test
