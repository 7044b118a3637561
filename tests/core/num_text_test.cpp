#include "core/num_text.h"

#include <gtest/gtest.h>

namespace espa {
namespace {

TEST(NumText, PlainFormDropsTheSignStandardFormKeepsItsPosition) {
    EXPECT_EQ(NumToText(19200), "19200");
    EXPECT_EQ(NumToText(0), "0");
    EXPECT_EQ(NumToText(-1), "1");
    EXPECT_EQ(NumToText(-32768), "32768");
    EXPECT_EQ(SignedNumText(1), " 1");
    EXPECT_EQ(SignedNumText(0), " 0");
    EXPECT_EQ(SignedNumText(-3), "-3");
}

}  // namespace
}  // namespace espa
