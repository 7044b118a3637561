#include <numeric>

#include "calls_fixture.h"

namespace espa::test {
namespace {

TEST_F(CallsTest, ExtractFieldTakesTheFirstValueOfTheKeyUpToRsOrEtxWithItsBytesUnchanged) {
    std::string allBytes(128, '\0');  // every byte with the eighth bit, then control bytes
    std::iota(allBytes.begin(), allBytes.end(), '\x80');
    allBytes += std::string("\0\x01\x02\x04\x05\x06\x15\x1D\x7FZ", 10);
    const std::string example = CallBlock({{'1', "1234"}, {'2', "Ward 3 bed 2"}, {'3', "2"}});
    const std::string empties = CallBlock({{'1', "9"}, {'2', ""}, {'3', ""}});
    const std::tuple<std::string, const char*, std::string> cases[] = {
        // clang-format off
        {example, "1", "1234"}, {example, "2", "Ward 3 bed 2"}, {example, "3", "2"},
        {example, "4", ""},
        {CallBlock({{'2', "first"}, {'1', "7"}, {'2', "2nd"}}), "2", "first"},
        {CallBlock({{'1', "12"}, {'3', "2"}, {'2', "m"}}), "2", "m"},  // values are no keys
        {CallBlock({{'2', "only info"}}), "1", ""},  // nor is the record type
        {CallBlock({{'1', "55"}}) + RS, "1", "55"},
        {empties, "2", ""}, {empties, "3", ""},
        {CallBlock({{'1', "1"}, {'2', allBytes}, {'3', "x"}}), "2", allBytes}};
    // clang-format on
    for (const auto& [block, identifier, value] : cases) {
        EXPECT_EQ(records.ExtractField(block, identifier), value) << frames::Visible(block);
    }
    EXPECT_EQ(LoggedTexts(), Texts{});
}

// A repeated call is stored again, never merged with the first; an eleventh unanswered call
// overwrites the bottom row completely.
TEST_F(CallsTest, StoreCallStoresEachCallAsANewPendingCallInItsOwnPosition) {
    const std::string block = CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}});
    EXPECT_EQ(records.StoreCall(block), 0);
    EXPECT_EQ(table[0], (CallPosition{"1234", "Hello", "2", "", "", "", "NIEUW", 60, 1}));
    EXPECT_EQ(view.showCallPositionsCount, 1);
    EXPECT_EQ(records.StoreCall(block), 1);
    EXPECT_EQ(table[1], table[0]);
    EXPECT_EQ(LoggedTexts(), Texts(2, "Call (SOH1) to pager: [1234] Info: [Hello] Bleep: [2]"));
    for (int i = 2; i < 10; ++i) {
        records.StoreCall(CallBlock({{'1', "10" + std::to_string(i)}, {'6', "9"}}));
    }
    table[9].ReturnedStatus = kStatusQueue;
    table[9].BufferTime = 30;
    CallTable expected = table;
    expected[9] = {"new", "", "", "", "", "", "NIEUW", 60, 1};
    EXPECT_EQ(records.StoreCall(CallBlock({{'1', "new"}})), 9);
    ExpectRowsAsIn(expected);
}

TEST_F(CallsTest, StoreCallPutsEachFieldInItsPlaceAndOnlyNonEmptyOnesIntoTheLogLine) {
    const std::string high = "Caf\xE9 \xFF\x80\x1D!";
    const std::string noEnd = std::string(1, SOH) + "1" + STX + "1" + US + "77" + RS + "2" + US;
    const std::tuple<std::string, CallPosition, Texts> cases[] = {
        {CallBlock({{'6', "P"}, {'5', "N"}, {'4', "T"}, {'3', "B"}, {'2', "I"}, {'1', "A"}}),
         {"A", "I", "B", "T", "N", "P", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [A] Info: [I] Bleep: [B] NrOfTx: [N] Priority: [P] Calltype: "
          "[T]"}},
        // The address is logged even when empty; 7 and 8 are no call fields.
        {CallBlock({{'2', ""}, {'4', "T"}, {'5', ""}, {'7', "3"}, {'8', "x"}}),
         {"", "", "", "T", "", "", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [] Calltype: [T]"}},
        {CallBlock({{'1', "\xA0X"}, {'2', high}}),
         {"\xA0X", high, "", "", "", "", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [\xA0X] Info: [" + high + "]"}},
        {noEnd + "no end",
         {"77", "", "", "", "", "", "NIEUW", 60, 1},
         {"For Espa Identifier 2 No RS or ETX found.", "Call (SOH1) to pager: [77]"}}};
    for (const auto& [block, stored, logged] : cases) {
        SCOPED_TRACE(frames::Visible(block));
        Reset();
        EXPECT_EQ(records.StoreCall(block), 0);
        EXPECT_EQ(table[0], stored);
        EXPECT_EQ(LoggedTexts(), logged);
    }
}

}  // namespace
}  // namespace espa::test
