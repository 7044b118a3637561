#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "protocol/espa_block.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

// "1" US "123" ETX as a call block, with its check character worked out by hand.
const std::string kShortBody = std::string("1") + STX + "1" + US + "123" + ETX;
const std::string kShortBlock = std::string(1, SOH) + kShortBody + XorOf(kShortBody);

class EspaBlockTest : public ScriptedCentral {
  protected:
    void SetUp() override { Start(Emulation::Philips, 1); }
    EspaBlock& block() { return emulator.Block(); }
};

TEST(ComputeBlockCheck, IsExclusiveOrFromAfterSohUpToEtx) {
    std::uint8_t check = 0;
    ASSERT_TRUE(ComputeBlockCheck(kShortBlock, check));
    // '1' ^ STX ^ '1' ^ US ^ '1' ^ '2' ^ '3' ^ ETX
    EXPECT_EQ(check, 0x31 ^ 0x02 ^ 0x31 ^ 0x1F ^ 0x31 ^ 0x32 ^ 0x33 ^ 0x03);
}

TEST(ComputeBlockCheck, TextWithoutEtxHasNoCheck) {
    std::uint8_t check = 0x55;
    EXPECT_FALSE(ComputeBlockCheck(std::string(1, SOH) + "1" + STX + "1" + US + "12", check));
}

TEST(ComputeBlockCheck, StopsAtTheFirstEtx) {
    std::uint8_t check = 0;
    ASSERT_TRUE(ComputeBlockCheck(std::string(1, SOH) + "A" + ETX + "B" + ETX, check));
    EXPECT_EQ(check, 'A' ^ ETX);
}

TEST_F(EspaBlockTest, RightCheckCharacterPasses) {
    EXPECT_EQ(block().TestBlock(kShortBlock), 1);
    EXPECT_TRUE(logged.empty());
}

TEST_F(EspaBlockTest, WrongCheckCharacterFailsAndLogsTheBlock) {
    std::string bad = kShortBlock;
    bad.back() = static_cast<char>(bad.back() ^ 0x40);
    EXPECT_EQ(block().TestBlock(bad), -1);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: While testing ESPAstring: [" + bad + "] Checksum error!");
}

TEST_F(EspaBlockTest, BlockEndingWithEtxHasNoCheckCharacter) {
    const std::string text = kShortBlock.substr(0, kShortBlock.size() - 1);
    EXPECT_EQ(block().TestBlock(text), -1);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0],
              "DEBUG: While testing ESPAstring: [" + text + "] No ETX received, or Onerr.");
}

TEST_F(EspaBlockTest, TextWithoutEtxFails) {
    const std::string text = std::string(1, SOH) + "1" + STX + "1" + US + "123";
    EXPECT_EQ(block().TestBlock(text), -1);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0],
              "DEBUG: While testing ESPAstring: [" + text + "] No ETX received, or Onerr.");
}

TEST_F(EspaBlockTest, NoiseBeforeSohDoesNotCount) {
    EXPECT_EQ(block().TestBlock("xyz" + kShortBlock), 1);
}

TEST_F(EspaBlockTest, SecondSohRestartsTheCheck) {
    const std::string broken = std::string(1, SOH) + "1" + STX + "9" + US + "77";
    EXPECT_EQ(block().TestBlock(broken + kShortBlock), 1);
    // Checked over everything, the same text would not pass: the restart is what makes it pass.
    std::string whole = broken + kShortBlock;
    whole.back() = XorOf(whole.substr(1, whole.size() - 2));
    EXPECT_EQ(block().TestBlock(whole), -1);
}

TEST_F(EspaBlockTest, CharactersAfterTheCheckCharacterAreIgnored) {
    EXPECT_EQ(block().TestBlock(kShortBlock + "junk" + ETX), 1);
}

TEST_F(EspaBlockTest, CheckCharacterThatIsAControlCharacterStillPasses) {
    for (const char wanted : {ETX, EOT, SOH}) {
        const std::string text = CallBlockWithCheck(wanted);
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.back(), wanted);
        EXPECT_EQ(block().TestBlock(text), 1) << "check character " << int(wanted);
    }
    EXPECT_TRUE(logged.empty());
}

TEST(BlockType, IsTheDigitAfterTheFirstSoh) {
    EXPECT_EQ(EspaBlock::BlockType(RequestBlock({{'1', "1234"}})), 3);
    EXPECT_EQ(EspaBlock::BlockType("noise" + CallBlock({{'1', "5"}})), 1);
}

TEST(BlockType, WithoutSohTheFirstCharacterCounts) {
    EXPECT_EQ(EspaBlock::BlockType(std::string("1") + STX + "x"), 1);
}

TEST(BlockType, NonDigitOrMissingHeaderIsZero) {
    EXPECT_EQ(EspaBlock::BlockType(std::string(1, SOH) + "A" + STX), 0);
    EXPECT_EQ(EspaBlock::BlockType(std::string(1, SOH)), 0);
    EXPECT_EQ(EspaBlock::BlockType(""), 0);
}

TEST_F(EspaBlockTest, SendCharCheckedFoldsWhatWasSent) {
    block().TxCheck = 0x10;
    EXPECT_EQ(block().SendCharChecked(0x31), 0);
    EXPECT_EQ(fake.TakeSent(), "1");
    EXPECT_EQ(block().TxCheck, 0x10 ^ 0x31);
}

TEST_F(EspaBlockTest, RefusedCharacterLeavesTxCheckAlone) {
    block().TxCheck = 0x22;
    EXPECT_EQ(block().SendCharChecked(256), -1);
    EXPECT_EQ(block().SendCharChecked(-1), -1);
    EXPECT_EQ(fake.TakeSent(), "");
    EXPECT_EQ(block().TxCheck, 0x22);
}

TEST_F(EspaBlockTest, SendTextCheckedSendsEveryByteExactly) {
    const std::string text =
        std::string("A\0", 2) + static_cast<char>(0xE9) + static_cast<char>(0xFF);
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked(text), 0);
    EXPECT_EQ(fake.TakeSent(), text);
    EXPECT_EQ(block().TxCheck, static_cast<unsigned char>(XorOf(text)));
    EXPECT_GE(block().TxCheck, 0);
    EXPECT_LE(block().TxCheck, 255);
}

TEST_F(EspaBlockTest, EmptyTextSendsNothing) {
    block().TxCheck = 7;
    EXPECT_EQ(block().SendTextChecked(""), 0);
    EXPECT_EQ(fake.TakeSent(), "");
    EXPECT_EQ(block().TxCheck, 7);
}

TEST_F(EspaBlockTest, RefusingPortStopsTheTextAtItsFirstCharacter) {
    fake.refuse.insert("Output");
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked("AB"), -1);
    EXPECT_EQ(fake.tx, "");
    // The refused character was folded in before the send; the rest never was.
    EXPECT_EQ(block().TxCheck, 'A');
}

TEST_F(EspaBlockTest, FindPendingPositionReturnsTheLowestFlaggedOne) {
    table()[7].StatusPending = 1;
    table()[4].StatusPending = 1;
    EXPECT_EQ(block().FindPendingPosition(), 4);
}

TEST_F(EspaBlockTest, OnlyFlagValueOneCountsAsPending) {
    EXPECT_EQ(block().FindPendingPosition(), -1);
    table()[2].StatusPending = 2;
    table()[3].StatusPending = -1;
    EXPECT_EQ(block().FindPendingPosition(), -1);
}

}  // namespace
}  // namespace espa::test
