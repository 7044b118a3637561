#include "calls_fixture.h"

namespace espa::test {
namespace {

using Texts = std::vector<std::string>;

class StatusRequestTest : public CallsTest {
  protected:
    // A position holding all six fields.
    void PutFull(int p, const std::string& word) {
        Put(p, "1234", word);
        table[p].Info = "Hello";
        table[p].Bleep = "2";
        table[p].CallType = "1";
        table[p].NrOfTx = "3";
        table[p].Priority = "4";
    }

    static std::string FullRequest() {
        return RequestBlock(
            {{'1', "1234"}, {'2', "Hello"}, {'3', "2"}, {'4', "1"}, {'5', "3"}, {'6', "4"}});
    }
};

TEST_F(StatusRequestTest, NewCallWithTheSameSixFieldsIsFoundInTheFirstPass) {
    PutFull(0, kStatusNew);

    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 0);
    EXPECT_EQ(LoggedTexts(), Texts{"StatusRequest (SOH3) for Pager: [1234] found on Position  0"});
}

TEST_F(StatusRequestTest, FieldOrderInTheRequestDoesNotMatter) {
    PutFull(0, kStatusNew);
    const std::string request = RequestBlock(
        {{'6', "4"}, {'5', "3"}, {'4', "1"}, {'3', "2"}, {'2', "Hello"}, {'1', "1234"}});
    EXPECT_EQ(status.AnswerStatusRequest(request), 0);
}

TEST_F(StatusRequestTest, FirstPassPrefersAnUnansweredCallOverAnEarlierAnsweredOne) {
    PutFull(1, kStatusPaged);
    PutFull(4, kStatusNew);
    PutFull(6, kStatusQueue);

    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 4);
    EXPECT_EQ(LoggedTexts(), Texts{"StatusRequest (SOH3) for Pager: [1234] found on Position  4"});
}

TEST_F(StatusRequestTest, QueuedCallCountsAsUnanswered) {
    PutFull(2, kStatusTerminated);
    PutFull(7, kStatusQueue);
    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 7);
}

TEST_F(StatusRequestTest, SecondPassSearchesTheWholeBufferWhenNoUnansweredCallFits) {
    PutFull(0, kStatusNew);
    table[0].Info = "Other";
    PutFull(3, kStatusPaged);
    PutFull(5, kStatusPaged);

    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 3);
    EXPECT_EQ(LoggedTexts(),
              (Texts{"DEBUG: StatusRequest for Pager [1234]. No new data found. Searching buffer!",
                     "StatusRequest (SOH3) for Pager: [1234] found on Position  3"}));
}

TEST_F(StatusRequestTest, SecondPassAlsoFindsCallsWithAnEmptyWord) {
    PutFull(8, "");
    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 8);
}

TEST_F(StatusRequestTest, NoMatchIsLoggedTwiceAndGivesMinusOne) {
    PutFull(0, kStatusNew);

    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', "999"}})), -1);
    EXPECT_EQ(LoggedTexts(),
              (Texts{"DEBUG: StatusRequest for Pager [999]. No new data found. Searching buffer!",
                     "DEBUG: StatusRequest for Pager [999] Not found!"}));
}

TEST_F(StatusRequestTest, EachOfTheSixFieldsMustMatch) {
    const std::vector<std::pair<const char*, std::string CallPosition::*>> fields{
        {"Adres", &CallPosition::Adres},   {"Info", &CallPosition::Info},
        {"Bleep", &CallPosition::Bleep},   {"CallType", &CallPosition::CallType},
        {"NrOfTx", &CallPosition::NrOfTx}, {"Priority", &CallPosition::Priority}};
    for (const auto& [name, member] : fields) {
        table.InitCallTable(lines);
        PutFull(0, kStatusNew);
        table[0].*member += "x";
        EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), -1) << name << " differs";
        table[0].*member = "";
        EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), -1) << name << " empty";
    }
}

TEST_F(StatusRequestTest, AddressOnlyRequestMatchesOnlyAnAddressOnlyCall) {
    PutFull(0, kStatusNew);
    Put(1, "1234", kStatusNew);

    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', "1234"}})), 1);
}

TEST_F(StatusRequestTest, OneLetterDifferenceInTheMessageOrItsCaseIsNotMatched) {
    PutFull(0, kStatusNew);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(
                  {{'1', "1234"}, {'2', "Hellp"}, {'3', "2"}, {'4', "1"}, {'5', "3"}, {'6', "4"}})),
              -1);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(
                  {{'1', "1234"}, {'2', "hello"}, {'3', "2"}, {'4', "1"}, {'5', "3"}, {'6', "4"}})),
              -1);
}

TEST_F(StatusRequestTest, RequestNeverChangesTheTable) {
    PutFull(2, kStatusPaged);
    table[2].StatusPending = 0;
    const CallPosition before = table[2];

    EXPECT_EQ(status.AnswerStatusRequest(FullRequest()), 2);
    EXPECT_EQ(table[2], before);
    EXPECT_EQ(view.showCallPositionsCount, 0);
}

TEST_F(StatusRequestTest, StoredCallIsFoundByARequestCarryingTheSameFields) {
    const std::string adres = "\xC4Z", info = "B\xFCro";
    records.StoreCall(CallBlock({{'1', adres}, {'2', info}}), currentPosition);
    records.StoreCall(CallBlock({{'1', adres}, {'2', info}}), currentPosition);
    lines.Clear();

    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', adres}, {'2', info}})), 0);
    EXPECT_EQ(LoggedTexts(),
              Texts{"StatusRequest (SOH3) for Pager: [" + adres + "] found on Position  0"});
}

}  // namespace
}  // namespace espa::test
