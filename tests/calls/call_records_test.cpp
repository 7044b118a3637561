#include "calls_fixture.h"

namespace espa::test {
namespace {

class ExtractFieldTest : public CallsTest {};

TEST_F(ExtractFieldTest, TakesTheFirstValueOfTheKeyUpToRsOrEtxWithItsBytesUnchanged) {
    std::string allBytes = "A";
    for (int b = 0x80; b <= 0xFF; ++b) {
        allBytes += static_cast<char>(b);
    }
    allBytes += std::string("\0\x01\x02\x04\x05\x06\x15\x1D\x7F", 9) + "Z";
    const std::string example = CallBlock({{'1', "1234"}, {'2', "Ward 3 bed 2"}, {'3', "2"}});
    struct Case {
        const char* what;
        std::string block;
        const char* identifier;
        std::string value;
    };
    const Case cases[] = {
        {"address", example, "1", "1234"},
        {"message with blanks", example, "2", "Ward 3 bed 2"},
        {"last field ends at ETX", example, "3", "2"},
        {"missing identifier", example, "4", ""},
        {"first occurrence wins", CallBlock({{'2', "first"}, {'1', "7"}, {'2', "2nd"}}), "2",
         "first"},
        {"digits in values are no keys", CallBlock({{'1', "12"}, {'3', "2"}, {'2', "m"}}), "2",
         "m"},
        {"record type digit is no key", CallBlock({{'2', "only info"}}), "1", ""},
        {"ETX before a stray RS", CallBlock({{'1', "55"}}) + RS, "1", "55"},
        {"empty value before RS", CallBlock({{'1', "9"}, {'2', ""}, {'3', ""}}), "2", ""},
        {"empty value before ETX", CallBlock({{'1', "9"}, {'2', ""}, {'3', ""}}), "3", ""},
        {"high and control bytes", CallBlock({{'1', "1"}, {'2', allBytes}, {'3', "x"}}), "2",
         allBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(records.ExtractField(c.block, c.identifier), c.value);
    }
    EXPECT_EQ(LoggedTexts(), Texts{});
}

class StoreCallTest : public CallsTest {};

TEST_F(StoreCallTest, StoresEachCallAsANewPendingCallInItsOwnPosition) {
    const std::string block = CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}});

    EXPECT_EQ(records.StoreCall(block), 0);
    EXPECT_EQ(table[0], (CallPosition{"1234", "Hello", "2", "", "", "", "NIEUW", 60, 1}));
    EXPECT_EQ(view.showCallPositionsCount, 1);

    // A repeated call is stored again, never merged with the first.
    EXPECT_EQ(records.StoreCall(block), 1);
    EXPECT_EQ(table[1], table[0]);
    EXPECT_EQ(LoggedTexts(), Texts(2, "Call (SOH1) to pager: [1234] Info: [Hello] Bleep: [2]"));
}

TEST_F(StoreCallTest, EachFieldGoesToItsPlaceAndOnlyNonEmptyOnesIntoTheLogLine) {
    const std::string high = "Caf\xE9 \xFF\x80\x1D!";
    struct Case {
        const char* what;
        std::string block;
        CallPosition stored;
        Texts logged;
    };
    const Case cases[] = {
        {"all six in reverse order",
         CallBlock({{'6', "P"}, {'5', "N"}, {'4', "T"}, {'3', "B"}, {'2', "I"}, {'1', "A"}}),
         {"A", "I", "B", "T", "N", "P", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [A] Info: [I] Bleep: [B] NrOfTx: [N] Priority: [P] Calltype: "
          "[T]"}},
        {"empty parts left out, the address never",
         CallBlock({{'2', ""}, {'4', "T"}, {'5', ""}}),
         {"", "", "", "T", "", "", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [] Calltype: [T]"}},
        {"identifiers 7 and 8 ignored",
         CallBlock({{'1', "42"}, {'7', "3"}, {'8', "x"}}),
         {"42", "", "", "", "", "", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [42]"}},
        {"bytes above seven bits",
         CallBlock({{'1', "\xA0X"}, {'2', high}}),
         {"\xA0X", high, "", "", "", "", "NIEUW", 60, 1},
         {"Call (SOH1) to pager: [\xA0X] Info: [" + high + "]"}},
        {"field without RS or ETX: logged, left empty, the call still stored",
         std::string(1, SOH) + "1" + STX + "1" + US + "77" + RS + "2" + US + "no end",
         {"77", "", "", "", "", "", "NIEUW", 60, 1},
         {"For Espa Identifier 2 No RS or ETX found.", "Call (SOH1) to pager: [77]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();

        EXPECT_EQ(records.StoreCall(c.block), 0);
        EXPECT_EQ(table[0], c.stored);
        EXPECT_EQ(LoggedTexts(), c.logged);
    }
}

TEST_F(StoreCallTest, EleventhUnansweredCallOverwritesTheBottomRowCompletely) {
    for (int i = 0; i < 10; ++i) {
        records.StoreCall(CallBlock({{'1', "10" + std::to_string(i)}, {'6', "9"}}));
    }
    table[9].ReturnedStatus = kStatusQueue;
    table[9].BufferTime = 30;
    CallTable expected = table;
    expected[9] = {"new", "", "", "", "", "", "NIEUW", 60, 1};

    EXPECT_EQ(records.StoreCall(CallBlock({{'1', "new"}})), 9);
    ExpectRowsAsIn(expected);
}

}  // namespace
}  // namespace espa::test
