#include <gtest/gtest.h>
#include <cstdio>
#include <ctime>
#include <string>

#include "core/clock.h"
#include "core/latin1_text.h"
#include "core/make_variant.h"
#include "core/num_text.h"

namespace espa {
namespace {

// Compared through strftime's own reading of the calendar; a second may turn during the test.
TEST(SystemClock, GivesTheLocalTimeAsTheCalendarReadsIt) {
    char text[32];
    const auto Now = [&] {
        const std::time_t now = std::time(nullptr);
        return std::string(
            text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now)));
    };
    const std::string before = Now();
    const LocalDateTime now = SystemClock().Now();
    const std::string after = Now();
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    EXPECT_TRUE(text == before || text == after) << text << " " << before;
}

TEST(NumText, PlainFormDropsTheSignStandardFormKeepsItsPosition) {
    for (const auto& [n, plain, standard] : {std::tuple{19200, "19200", " 19200"},
                                             {0, "0", " 0"},
                                             {-3, "3", "-3"},
                                             {-32768, "32768", "-32768"}}) {
        EXPECT_EQ(NumToText(static_cast<std::int16_t>(n)), plain);
        EXPECT_EQ(SignedNumText(static_cast<std::int16_t>(n)), standard);
    }
}

// 0x80 is the first byte that takes two UTF-8 bytes.
TEST(Latin1Text, BytesAboveAsciiBecomeTwoUtf8Bytes) {
    EXPECT_EQ(Utf8FromLatin1("\x7F\x80\xE9\xFF"), "\x7F\xC2\x80\xC3\xA9\xC3\xBF");
}

// An Emulatie outside the list only comes from a hand-edited espa.set.
TEST(MakeVariant, AscomAndValuesOutsideTheListPlayPhilips) {
    SettingsRecord settings;
    const MakeVariant philips = VariantOf(settings);
    for (const std::int16_t emulatie : {1, 5, 300, -1, 2, 3, 4}) {
        settings.Emulatie = emulatie;
        EXPECT_EQ(VariantOf(settings) == philips, emulatie < 2 || emulatie > 4) << emulatie;
    }
}

}  // namespace
}  // namespace espa
