#include "calls_fixture.h"

namespace espa::test {
namespace {

using Texts = std::vector<std::string>;

class ExtractFieldTest : public CallsTest {};

TEST_F(ExtractFieldTest, TakesTheValueOfTheAskedIdentifierUpToRsOrEtx) {
    const std::string block = CallBlock({{'1', "1234"}, {'2', "Ward 3 bed 2"}, {'3', "2"}});
    EXPECT_EQ(records.ExtractField(block, "1"), "1234");
    EXPECT_EQ(records.ExtractField(block, "2"), "Ward 3 bed 2");
    EXPECT_EQ(records.ExtractField(block, "3"), "2");
    EXPECT_EQ(records.ExtractField(block, "4"), "");
    EXPECT_TRUE(LoggedTexts().empty());
}

TEST_F(ExtractFieldTest, FirstOccurrenceOfTheIdentifierWins) {
    const std::string block = CallBlock({{'2', "first"}, {'1', "77"}, {'2', "second"}});
    EXPECT_EQ(records.ExtractField(block, "2"), "first");
    EXPECT_EQ(records.ExtractField(block, "1"), "77");
}

TEST_F(ExtractFieldTest, DigitInsideAValueIsNotAnIdentifier) {
    // "12" and "2" in values are not followed by US, so identifier 2 is found only at its key.
    const std::string block = CallBlock({{'1', "12"}, {'3', "2"}, {'2', "msg"}});
    EXPECT_EQ(records.ExtractField(block, "2"), "msg");
}

TEST_F(ExtractFieldTest, RecordTypeDigitIsNeverTakenForAnIdentifier) {
    const std::string block = CallBlock({{'2', "only info"}});
    EXPECT_EQ(records.ExtractField(block, "1"), "");
}

TEST_F(ExtractFieldTest, ValueEndsAtEtxWhenItComesBeforeAnyRs) {
    std::string block = CallBlock({{'1', "55"}});
    block += RS;  // stray RS after the check character
    EXPECT_EQ(records.ExtractField(block, "1"), "55");
}

TEST_F(ExtractFieldTest, EmptyValueGivesEmptyTextWithoutALogLine) {
    const std::string block = CallBlock({{'1', "9"}, {'2', ""}, {'3', ""}});
    EXPECT_EQ(records.ExtractField(block, "2"), "");
    EXPECT_EQ(records.ExtractField(block, "3"), "");
    EXPECT_TRUE(LoggedTexts().empty());
}

TEST_F(ExtractFieldTest, HighBytesAndOtherControlCharactersAreKeptUnchanged) {
    std::string value = "A";
    for (int b = 0x80; b <= 0xFF; ++b) {
        value += static_cast<char>(b);
    }
    value += std::string("\0\x01\x02\x04\x05\x06\x15\x1D\x7F", 9);
    value += "Z";
    const std::string block = CallBlock({{'1', "1"}, {'2', value}, {'3', "x"}});

    const std::string got = records.ExtractField(block, "2");

    EXPECT_EQ(got.size(), value.size());
    EXPECT_EQ(got, value);
}

TEST_F(ExtractFieldTest, KeyWithoutRsOrEtxAfterItIsLoggedAndGivesEmptyText) {
    std::string block = std::string(1, SOH) + "1" + STX + "1" + US + "12" + RS + "3" + US + "2";

    EXPECT_EQ(records.ExtractField(block, "3"), "");
    EXPECT_EQ(records.ExtractField(block, "1"), "12");
    EXPECT_EQ(LoggedTexts(), Texts{"For Espa Identifier 3 No RS or ETX found."});
}

TEST_F(ExtractFieldTest, MissingKeyIsNotLoggedEvenWithoutRsOrEtx) {
    const std::string block = std::string(1, SOH) + "1" + STX + "1" + US + "12";
    EXPECT_EQ(records.ExtractField(block, "2"), "");
    EXPECT_EQ(LoggedTexts(), Texts{});
}

class StoreCallTest : public CallsTest {};

TEST_F(StoreCallTest, StoresFieldsAsNewPendingCallAndLogsThem) {
    const std::int16_t p =
        records.StoreCall(CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}}), currentPosition);

    EXPECT_EQ(p, 0);
    EXPECT_EQ(currentPosition, 0);
    const CallPosition& c = table[0];
    EXPECT_EQ(c.Adres, "1234");
    EXPECT_EQ(c.Info, "Hello");
    EXPECT_EQ(c.Bleep, "2");
    EXPECT_EQ(c.CallType, "");
    EXPECT_EQ(c.NrOfTx, "");
    EXPECT_EQ(c.Priority, "");
    EXPECT_EQ(c.ReturnedStatus, "NIEUW");
    EXPECT_EQ(c.BufferTime, 60);
    EXPECT_EQ(c.StatusPending, 1);
    EXPECT_EQ(LoggedTexts(), Texts{"Call (SOH1) to pager: [1234] Info: [Hello] Bleep: [2]"});
    EXPECT_EQ(view.showCallPositionsCount, 1);
}

TEST_F(StoreCallTest, LogLinePartsFollowInfoBleepNrOfTxPriorityCalltype) {
    records.StoreCall(
        CallBlock({{'6', "P"}, {'5', "N"}, {'4', "T"}, {'3', "B"}, {'2', "I"}, {'1', "A"}}),
        currentPosition);

    const CallPosition& c = table[0];
    EXPECT_EQ(c.Priority, "P");
    EXPECT_EQ(c.NrOfTx, "N");
    EXPECT_EQ(c.CallType, "T");
    EXPECT_EQ(LoggedTexts(), Texts{"Call (SOH1) to pager: [A] Info: [I] Bleep: [B] NrOfTx: [N]"
                                   " Priority: [P] Calltype: [T]"});
}

TEST_F(StoreCallTest, EmptyFieldsAreLeftOutOfTheLogLineButTheAddressNever) {
    records.StoreCall(CallBlock({{'2', ""}, {'4', "T"}, {'5', ""}}), currentPosition);

    EXPECT_EQ(table[0].Adres, "");
    EXPECT_EQ(table[0].ReturnedStatus, "NIEUW");
    EXPECT_FALSE(table[0].IsFree());
    EXPECT_EQ(LoggedTexts(), Texts{"Call (SOH1) to pager: [] Calltype: [T]"});
}

TEST_F(StoreCallTest, IdentifiersSevenAndEightAreIgnored) {
    records.StoreCall(CallBlock({{'1', "42"}, {'7', "3"}, {'8', "x"}}), currentPosition);
    records.StoreCall(CallBlock({{'1', "42"}}), currentPosition);

    CallPosition first = table[0];
    CallPosition second = table[1];
    EXPECT_EQ(first, second);
    const std::vector<std::string> logged = LoggedTexts();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "Call (SOH1) to pager: [42]");
    EXPECT_EQ(logged[1], logged[0]);
}

TEST_F(StoreCallTest, RepeatedCallTakesANewPosition) {
    const std::string block = CallBlock({{'1', "42"}, {'2', "again"}});
    EXPECT_EQ(records.StoreCall(block, currentPosition), 0);
    EXPECT_EQ(records.StoreCall(block, currentPosition), 1);
    EXPECT_EQ(currentPosition, 1);
    EXPECT_EQ(table[1].Info, "again");
}

TEST_F(StoreCallTest, BytesAboveSevenBitsAreStoredAndLoggedUnchanged) {
    const std::string adres = "\xA0X";
    const std::string info = "Caf\xE9 \xFF\x80\x1D!";
    records.StoreCall(CallBlock({{'1', adres}, {'2', info}}), currentPosition);

    EXPECT_EQ(table[0].Adres, adres);
    EXPECT_EQ(table[0].Info, info);
    EXPECT_EQ(LoggedTexts(), Texts{"Call (SOH1) to pager: [" + adres + "] Info: [" + info + "]"});
}

TEST_F(StoreCallTest, FieldWithoutRsOrEtxIsLoggedLeftEmptyAndTheCallStillStored) {
    const std::string block =
        std::string(1, SOH) + "1" + STX + "1" + US + "77" + RS + "2" + US + "no end";

    const std::int16_t p = records.StoreCall(block, currentPosition);

    EXPECT_EQ(p, 0);
    EXPECT_EQ(table[0].Adres, "77");
    EXPECT_EQ(table[0].Info, "");
    EXPECT_EQ(table[0].ReturnedStatus, "NIEUW");
    EXPECT_EQ(LoggedTexts(),
              (Texts{"For Espa Identifier 2 No RS or ETX found.", "Call (SOH1) to pager: [77]"}));
}

TEST_F(StoreCallTest, EleventhUnansweredCallOverwritesTheBottomRowCompletely) {
    for (int i = 0; i < 10; ++i) {
        records.StoreCall(CallBlock({{'1', "10" + std::to_string(i)}, {'6', "9"}}),
                          currentPosition);
    }
    table[9].ReturnedStatus = kStatusQueue;
    table[9].BufferTime = 30;

    const std::int16_t p = records.StoreCall(CallBlock({{'1', "new"}}), currentPosition);

    EXPECT_EQ(p, 9);
    EXPECT_EQ(currentPosition, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(table[i].Adres, "10" + std::to_string(i));
    }
    EXPECT_EQ(table[9].Adres, "new");
    EXPECT_EQ(table[9].Priority, "");
    EXPECT_EQ(table[9].ReturnedStatus, "NIEUW");
    EXPECT_EQ(table[9].BufferTime, 60);
}

TEST_F(StoreCallTest, NewCallInAFullTableLandsInTheBottomRowAfterTheAnsweredOneIsDeleted) {
    FillWithNewCalls();
    table[3].ReturnedStatus = kStatusPaged;

    EXPECT_EQ(records.StoreCall(CallBlock({{'1', "new"}}), currentPosition), 9);
    EXPECT_EQ(table[3].Adres, "104");
    EXPECT_EQ(table[8].Adres, "109");
    EXPECT_EQ(table[9].Adres, "new");
}

}  // namespace
}  // namespace espa::test
