#include "core/line_settings.h"

#include <gtest/gtest.h>

namespace espa {
namespace {

using Parity = LineSettings::Parity;
using StopBits = LineSettings::StopBits;

TEST(LineSettingsText, EveryPartIsReadWhereItIsWellFormedAndAnythingElseIsRefused) {
    const std::pair<const char*, LineSettings> good[] = {
        {"9600,N,8,1", {9600, Parity::None, 8, StopBits::One}},
        {"19200,e,7,2", {19200, Parity::Even, 7, StopBits::Two}},
        {"300,O,5,1.5", {300, Parity::Odd, 5, StopBits::OneAndHalf}},
        {"09600,m,6,1", {9600, Parity::Mark, 6, StopBits::One}},
        {"1,N,8,1", {1, Parity::None, 8, StopBits::One}},
        {"2147483647,S,8,1", {2147483647, Parity::Space, 8, StopBits::One}}};
    for (const auto& [text, line] : good) {
        EXPECT_EQ(ParseLineSettings(text), line) << text;
    }
    // clang-format off
    const char* const bad[] = {"", "9600", "9600,N,8", "9600,N,8,1,", "9600,N,8,1,1", ",N,8,1",
             "0,N,8,1", "-300,N,8,1", "+300,N,8,1", " 9600,N,8,1", "9600 ,N,8,1", "fast,N,8,1",
             "96:0,N,8,1", "2147483648,N,8,1", "9600,X,8,1", "9600,NN,8,1", "9600,,8,1",
             "9600,N,4,1", "9600,N,9,1", "9600,N,08,1", "9600,N,8,3", "9600,N,8,1.0",
             "9600,N,8, 1"};
    // clang-format on
    for (const char* text : bad) {
        EXPECT_FALSE(ParseLineSettings(text)) << text;
    }
}

}  // namespace
}  // namespace espa
