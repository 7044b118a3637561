#include <gtest/gtest.h>

#include "protocol/espa_block.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

// "1" US "123" ETX as a call block, with its check character worked out by hand.
const std::string kShortBody = std::string("1") + STX + "1" + US + "123" + ETX;
const std::string kShortBlock = Ch(SOH) + kShortBody + CheckCharacter(kShortBody);

class EspaBlockTest : public ScriptedCentral {
  protected:
    void SetUp() override { Start(Emulation::Philips, 1); }
    EspaBlock& block() { return emulator.Block(); }
};

TEST_F(EspaBlockTest, TestBlockJudgesTheCheckCharacterAfterTheFirstEtx) {
    std::string wrongCheck = kShortBlock;
    wrongCheck.back() = static_cast<char>(wrongCheck.back() ^ 0x40);
    const std::string broken = Ch(SOH) + "1" + STX + "9" + US + "77";
    std::string checkedOverAll = broken + kShortBlock;  // right only if the second SOH is ignored
    checkedOverAll.back() = CheckCharacter(checkedOverAll.substr(1, checkedOverAll.size() - 2));
    const char* kCheck = "] Checksum error!";
    const char* kNoEtx = "] No ETX received, or Onerr.";
    // clang-format off
    const std::tuple<std::string, std::int16_t, const char*> cases[] = {  // nullptr: nothing logged
        {kShortBlock, 1, nullptr}, {"xyz" + kShortBlock, 1, nullptr},
        {broken + kShortBlock, 1, nullptr}, {kShortBlock + "junk" + ETX, 1, nullptr},
        {wrongCheck, -1, kCheck}, {checkedOverAll, -1, kCheck},
        {kShortBlock.substr(0, kShortBlock.size() - 1), -1, kNoEtx},  // ends with ETX
        {Ch(SOH) + "1" + STX + "1" + US + "123", -1, kNoEtx}};
    // clang-format on
    for (const auto& [text, result, logTail] : cases) {
        SCOPED_TRACE(frames::Visible(text));
        logged.clear();
        EXPECT_EQ(block().TestBlock(text), result);
        EXPECT_EQ(logged, logTail ? std::vector<std::string>{"DEBUG: While testing ESPAstring: [" +
                                                             text + logTail}
                                  : std::vector<std::string>{});
    }
}

TEST(BlockType, IsTheDigitAfterTheFirstSohOrElseTheFirstCharacter) {
    const std::pair<std::string, int> cases[] = {{RequestBlock({{'1', "1234"}}), 3},
                                                 {"noise" + CallBlock({{'1', "5"}}), 1},
                                                 {std::string("1") + STX + "x", 1},
                                                 {Ch(SOH) + "A" + STX, 0},
                                                 {Ch(SOH), 0},
                                                 {"", 0},
                                                 {Ch(SOH) + "9" + Ch(SOH) + "3", 9}};
    for (const auto& [text, type] : cases) {
        EXPECT_EQ(EspaBlock::BlockType(text), type) << text;
    }
}

// Only what was sent is folded in; a refusing port stops the text at its first character, which
// was folded in before the send.
TEST_F(EspaBlockTest, SendCheckedSendsEveryByteExactlyAndFoldsOnlyWhatWasSent) {
    block().TxCheck = 0x10;
    EXPECT_EQ(block().SendCharChecked(0x31), 0);
    EXPECT_EQ(block().SendCharChecked(256), -1);
    EXPECT_EQ(block().SendCharChecked(-1), -1);
    EXPECT_EQ(fake.TakeSent(), "1");
    EXPECT_EQ(block().TxCheck, 0x10 ^ 0x31);
    const std::string text = std::string("A\0", 2) + '\xE9' + '\xFF';
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked(text), 0);
    EXPECT_EQ(block().SendTextChecked(""), 0);
    EXPECT_EQ(fake.TakeSent(), text);
    EXPECT_EQ(block().TxCheck, static_cast<unsigned char>(CheckCharacter(text)));
    fake.refuse.insert("Output");
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked("AB"), -1);
    EXPECT_EQ(block().TxCheck, 'A');
}

TEST_F(EspaBlockTest, FindPendingPositionReturnsTheLowestPositionFlaggedOne) {
    EXPECT_EQ(block().FindPendingPosition(), -1);
    table()[2].StatusPending = 2;
    table()[3].StatusPending = -1;
    EXPECT_EQ(block().FindPendingPosition(), -1);
    table()[7].StatusPending = 1;
    table()[4].StatusPending = 1;
    EXPECT_EQ(block().FindPendingPosition(), 4);
}

}  // namespace
}  // namespace espa::test
