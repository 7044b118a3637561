#include "calls_fixture.h"

namespace espa::test {
namespace {

class StatusRequestTest : public CallsTest {};

std::string FoundOn(char position) {
    return std::string("StatusRequest (SOH3) for Pager: [1234] found on Position  ") + position;
}
const std::string kSearching =
    "DEBUG: StatusRequest for Pager [1234]. No new data found. Searching buffer!";

TEST_F(StatusRequestTest, UnansweredCallsArePreferredThenTheWholeBufferIsSearched) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, const char*>> held;
        int found;
        Texts logged;
    };
    const Case cases[] = {
        {"NIEUW call", {{0, kStatusNew}}, 0, {FoundOn('0')}},
        {"NIEUW after answered",
         {{1, kStatusPaged}, {4, kStatusNew}, {6, kStatusQueue}},
         4,
         {FoundOn('4')}},
        {"QUEUE is unanswered", {{2, kStatusTerminated}, {7, kStatusQueue}}, 7, {FoundOn('7')}},
        {"only answered calls",
         {{3, kStatusPaged}, {5, kStatusPaged}},
         3,
         {kSearching, FoundOn('3')}},
        {"empty word", {{8, ""}}, 8, {kSearching, FoundOn('8')}},
        {"no call", {}, -1, {kSearching, "DEBUG: StatusRequest for Pager [1234] Not found!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        for (const auto& [p, word] : c.held) {
            PutSix(p, word);
        }
        Put(9, "1234", kStatusNew);  // unanswered, same pager, but not the same six fields
        const CallTable before = table;

        EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(kSix)), c.found);
        EXPECT_EQ(LoggedTexts(), c.logged);
        ExpectRowsAsIn(before);
    }
    EXPECT_EQ(view.showCallPositionsCount, 0);
}

TEST_F(StatusRequestTest, OnlyACallWithExactlyTheSameSixFieldsMatches) {
    PutSix(0, kStatusNew);
    for (std::size_t i = 0; i < kSix.size(); ++i) {
        Fields request = kSix;
        request[i].second += "x";
        EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(request)), -1) << i << " differs";
        request[i].second = "";
        EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(request)), -1) << i << " empty";
    }

    Put(1, "1234", kStatusNew);
    Fields otherCase = kSix;
    otherCase[1].second = "hello";
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(otherCase)), -1);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', "1234"}})), 1);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(Fields(kSix.rbegin(), kSix.rend()))), 0);
}

class StatusTransferTest : public CallsTest {};

TEST_F(StatusTransferTest, OnlyPresentFieldsAreEchoedWithTheirBytesUnchanged) {
    const std::string odd = std::string("\xE9\x80\xFF\x00\x1D\x7F", 6);
    struct Case {
        Emulation mode;
        Fields held, echoed;
    };
    const Case cases[] = {
        {Emulation::Philips, {{'3', "2"}, {'6', "1"}}, {{'3', "2"}, {'6', "1"}}},
        {Emulation::Philips, {{'1', "\x81Z"}, {'2', odd}}, {{'1', "\x81Z"}, {'2', odd}}},
        {Emulation::CommTechWireLess, {{'3', "2"}, {'6', "1"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kEmulationNames[static_cast<int>(c.mode)]);
        Reset();
        SetMode(c.mode);
        records.StoreCall(CallBlock(c.held));

        EXPECT_EQ(status.SendStatusTransfer(0), Echo(c.echoed) + Status7("3"));
    }
}

TEST_F(StatusTransferTest, EchoCodeWordAndLogLineFollowTheModeAndTheOperatorsChoice) {
    struct Choice {
        const char *choice, *classicCode, *classicLine, *dataCallCode;
    };
    const Choice choices[] = {
        {"QUEUE", "2", "StatusSend QUEUE for Adres [1234]", "4"},
        {"PAGED", "3", "StatusSend PAGED for Adres [1234]", "2"},
        {"ABSENT", "4", "StatusSend ABSENT for Adres [1234]", "4"},
        {"TERMINATED", "5", "StatusSend TERMINATED for Adres [1234]", "5"},
        {"", "5", "StatusSend ERROR, set to TERMINATED Adres [1234]", "4"},
    };
    for (Emulation mode : {Emulation::Philips, Emulation::AscomNira, Emulation::MediCall,
                           Emulation::DataCall, Emulation::CommTechWireLess}) {
        for (const Choice& c : choices) {
            SCOPED_TRACE(std::string(kEmulationNames[static_cast<int>(mode)]) + " " + c.choice);
            const bool dataCall = mode == Emulation::DataCall;
            const bool commTech = mode == Emulation::CommTechWireLess;
            const std::string code = commTech ? "3" : dataCall ? c.dataCallCode : c.classicCode;
            const Texts logged =
                commTech   ? Texts{"StatusSend CommTechWireLess is ONLY PAGED for Adres [1234]"}
                : dataCall ? Texts{}
                           : Texts{c.classicLine};
            Reset();
            FillWithNewCalls();
            PutSix(3, kStatusNew);
            CallTable expected = table;
            expected[3].ReturnedStatus = commTech ? "PAGED" : dataCall ? "" : c.choice;
            SetMode(mode);
            view.selectedStatus = c.choice;
            view.showCallPositionsCount = 0;

            const Fields echoed = commTech ? Fields(kSix.begin(), kSix.begin() + 2) : kSix;
            EXPECT_EQ(status.SendStatusTransfer(3), Echo(echoed) + Status7(code));
            ExpectRowsAsIn(expected);
            EXPECT_EQ(LoggedTexts(), logged);
            EXPECT_EQ(view.showCallPositionsCount, 1);
        }
    }
}

TEST_F(StatusTransferTest, TransferOutsideTheTableSendsOnlyTheStatusAndChangesNothing) {
    FillWithNewCalls();
    const CallTable before = table;
    EXPECT_EQ(status.SendStatusTransfer(-1), Status7("3"));
    EXPECT_EQ(status.SendStatusTransfer(10), Status7("3"));
    ExpectRowsAsIn(before);
}

}  // namespace
}  // namespace espa::test
