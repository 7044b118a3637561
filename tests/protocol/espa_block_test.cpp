#include <gtest/gtest.h>

#include <string>

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
    const std::string noEtx = Ch(SOH) + "1" + STX + "1" + US + "123";

    struct Case {
        const char* name;
        std::string text;
        std::int16_t result;
        const char* logTail;  // nullptr: nothing logged
    };
    const Case cases[] = {
        {"right", kShortBlock, 1, nullptr},
        {"noise before SOH", "xyz" + kShortBlock, 1, nullptr},
        {"second SOH restarts", broken + kShortBlock, 1, nullptr},
        {"after the check character", kShortBlock + "junk" + ETX, 1, nullptr},
        {"wrong check", wrongCheck, -1, "] Checksum error!"},
        {"checked over all", checkedOverAll, -1, "] Checksum error!"},
        {"ends with ETX", kShortBlock.substr(0, kShortBlock.size() - 1), -1,
         "] No ETX received, or Onerr."},
        {"no ETX", noEtx, -1, "] No ETX received, or Onerr."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logged.clear();
        EXPECT_EQ(block().TestBlock(c.text), c.result);
        if (c.logTail == nullptr) {
            EXPECT_TRUE(logged.empty());
        } else {
            EXPECT_EQ(logged, std::vector<std::string>{"DEBUG: While testing ESPAstring: [" +
                                                       c.text + c.logTail});
        }
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

TEST_F(EspaBlockTest, SendCharCheckedFoldsOnlyWhatWasSent) {
    block().TxCheck = 0x10;
    EXPECT_EQ(block().SendCharChecked(0x31), 0);
    EXPECT_EQ(block().SendCharChecked(256), -1);
    EXPECT_EQ(block().SendCharChecked(-1), -1);
    EXPECT_EQ(fake.TakeSent(), "1");
    EXPECT_EQ(block().TxCheck, 0x10 ^ 0x31);
}

TEST_F(EspaBlockTest, SendTextCheckedSendsEveryByteExactly) {
    const std::string text = std::string("A\0", 2) + '\xE9' + '\xFF';
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked(text), 0);
    EXPECT_EQ(fake.TakeSent(), text);
    EXPECT_EQ(block().TxCheck, static_cast<unsigned char>(CheckCharacter(text)));

    EXPECT_EQ(block().SendTextChecked(""), 0);
    EXPECT_EQ(fake.TakeSent(), "");
    EXPECT_EQ(block().TxCheck, static_cast<unsigned char>(CheckCharacter(text)));
}

TEST_F(EspaBlockTest, RefusingPortStopsTheTextAtItsFirstCharacter) {
    fake.refuse.insert("Output");
    block().TxCheck = 0;
    EXPECT_EQ(block().SendTextChecked("AB"), -1);
    EXPECT_EQ(fake.tx, "");
    // The refused character was folded in before the send; the rest never was.
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
