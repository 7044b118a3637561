#include <gtest/gtest.h>

#include "conversation.h"

namespace espa::test {
namespace {

const std::string kCall =
    Block('1', {{'1', "1234"}, {'2', "Ward 3 bed 2"}, {'3', "2"}, {'6', "1"}});
const std::string kCall5 = Block('1', {{'1', "5"}});  // right check 0x2B
const std::string kTransfer = Block('2', {{'1', "1234"}, {'7', "3"}});
const std::string kCut{SOH, '1', STX, '1', US, '1', '2'};

std::string Raised(const std::string& block) {
    return WithCheck(block, static_cast<char>(block.back() + 6));
}

struct DecodeCase {
    Conversation conversation;
    std::vector<std::string> frames;  // the side and FrameContent of each
    Emulation make = Emulation::Philips;
};

// clang-format off
const DecodeCase kDecodeCases[] = {
    {{{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, kCall}, {P, 60, Ch(ACK)}, {C, 70, Ch(EOT)},
      {C, 100, kPoll}, {P, 110, {'1', ENQ}}, {C, 120, Ch(ACK)}, {P, 130, kTransfer},
      {C, 140, Ch(NAK)}, {P, 150, Ch(EOT)}},
     {"C select 12", "P ACK", "C call 1234 \"Ward 3 bed 2\" beep 2 priority 1, check right",
      "P ACK", "C EOT", "C poll 2", "P select of the central 1", "C ACK",
      "P status transfer 1234 status 3 (paged), check right", "C NAK", "P EOT"}},
    // Check characters that are SOH, EOT and ETX.
    {{{C, 0, BlockWithCheck('1', "1", SOH) + BlockWithCheck('1', "2", EOT) +
             BlockWithCheck('1', "3", ETX)}},
     {"C call 1 \"" + FillerFor('1', "1", SOH) + "\", check right",
      "C call 2 \"" + FillerFor('1', "2", EOT) + "\", check right",
      "C call 3 \"" + FillerFor('1', "3", ETX) + "\", check right"}},
    {{{P, 0, Block('2', {{'1', "77"}, {'2', "Caf\xE9 \x85"}, {'9', "x"}, {'7', "4"}})}},
     {"P status transfer 77 \"Caf\xE9 [0x85]\" field 9 \"x\" status 4 (not paged), check right"},
     Emulation::DataCall},
    {{{C, 0, "\x7Fzz" + kPoll + "3x"}, {C, 20, kPoll}},
     {"C noise [DEL]zz", "C poll 2", "C noise 3x", "C poll 2"}},
    {{{C, 0, WithCheck(kCall5, 'A')}}, {"C call 5, check wrong 0x41, expected 0x2B"}},
    // The line goes quiet before the check, or the other side moves on.
    {{{C, 0, kCall5.substr(0, kCall5.size() - 1)}}, {"C call 5, check missing, expected 0x2B"}},
    {{{C, 0, kCall5.substr(0, kCall5.size() - 1)}, {P, 1500, Ch(ACK)}, {C, 1600, "x"}},
     {"C call 5, check missing, expected 0x2B", "P ACK", "C noise x"}},
    {{{C, 0, kCut + kCall5}},
     {"C block broken off by SOH [SOH]1[STX]1[US]12", "C call 5, check right"}},
    {{{C, 0, kCut + EOT}}, {"C block cut short [SOH]1[STX]1[US]12", "C EOT"}},
    {{{C, 0, {'1', ENQ, 'x'}}, {C, 100, kPoll + "1" + ENQ}},
     {"C select cut short 1[ENQ]", "C noise x", "C poll 2", "C select cut short 1[ENQ]"}},
    // CommTechWireLess raises the check of its status transfers, sends none above 255, and 1 NAK.
    {{{P, 0, Raised(kTransfer)}, {C, 10, Raised(kCall5)}},
     {"P status transfer 1234 status 3 (paged), check right",
      "C call 5, check wrong 0x31, expected 0x2B"}, Emulation::CommTechWireLess},
    {{{P, 0, BlockWithCheck('2', "1", '\xFF').substr(0, 12)}, {P, 10, {EOT, '1', NAK}}},
     {"P status transfer 1 \"" + FillerFor('2', "1", '\xFF') +
          "\", check not sent (raised above 255)",
      "P EOT", "P noise 1", "P NAK"}, Emulation::CommTechWireLess},
};
// clang-format on

std::vector<std::string> Contents(const Conversation& conversation, Emulation make) {
    std::vector<std::string> out;
    for (const Frame& frame : RunLine(conversation, make).frames) {
        out.push_back((frame.side == C ? "C " : "P ") + FrameContent(frame, make));
    }
    return out;
}

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, FramesAreTheSameHoweverTheBytesAreSplit) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Contents(c.conversation, c.make), c.frames);
    Conversation byteByByte;
    for (const Say& say : c.conversation) {
        for (const char byte : say.bytes) {
            byteByByte.push_back({say.side, say.ms, Ch(byte)});
        }
    }
    EXPECT_EQ(Contents(byteByByte, c.make), c.frames);
}

INSTANTIATE_TEST_SUITE_P(Line, DecodeTable, ::testing::ValuesIn(kDecodeCases));

TEST(FrameLine, CarriesTheFirstByteTimeTheDirectionAndTheGap) {
    const LineResult line = RunLine({{C, 100, kCall5.substr(0, 4)},
                                     {C, 130, kCall5.substr(4)},
                                     {P, 150, Ch(ACK)},
                                     {C, 86'400'000 + 3'720'000, kPoll}});
    ASSERT_EQ(line.frames.size(), 3u);
    EXPECT_EQ(line.frames[0].endUs, 130'000);
    std::vector<std::string> lines;
    for (const Frame& frame : line.frames) {
        lines.push_back(FrameLine(frame, Emulation::Philips));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"00:00:00.100 C->P call 5, check right",
                                               "00:00:00.150 P->C ACK, after 20 ms",
                                               "01:02:00.000 C->P poll 2, after 90119850 ms"}));
    EXPECT_EQ(HexBytes(line.frames[1].raw + "\xB1"), "06 B1");
}

}  // namespace
}  // namespace espa::test
