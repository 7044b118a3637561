#include "calls_fixture.h"

namespace espa::test {
namespace {

// A status transfer's data: each field, identifier US value RS, then the status field and ETX.
std::string Echo(const Fields& fields, const std::string& code) {
    return frames::Fields(fields) + (fields.empty() ? "" : Ch(RS)) + frames::Field('7', code) + ETX;
}

std::string FoundOn(char position) {
    return std::string("StatusRequest (SOH3) for Pager: [1234] found on Position  ") + position;
}
const std::string kSearching =
    "DEBUG: StatusRequest for Pager [1234]. No new data found. Searching buffer!";

TEST_F(CallsTest, StatusRequestPrefersUnansweredCallsThenSearchesTheWholeBuffer) {
    const std::tuple<std::vector<std::pair<int, const char*>>, int, Texts> cases[] = {
        // clang-format off
        {{{0, kStatusNew}}, 0, {FoundOn('0')}},
        {{{1, kStatusPaged}, {4, kStatusNew}, {6, kStatusQueue}}, 4, {FoundOn('4')}},
        {{{2, kStatusTerminated}, {7, kStatusQueue}}, 7, {FoundOn('7')}},
        {{{3, kStatusPaged}, {5, kStatusPaged}}, 3, {kSearching, FoundOn('3')}},
        {{{8, ""}}, 8, {kSearching, FoundOn('8')}},
        {{}, -1, {kSearching, "DEBUG: StatusRequest for Pager [1234] Not found!"}}};
    // clang-format on
    for (const auto& [held, found, logged] : cases) {
        SCOPED_TRACE(found);
        Reset();
        for (const auto& [p, word] : held) {
            PutSix(p, word);
        }
        Put(9, "1234", kStatusNew);  // unanswered, the same pager, not the same six fields
        const CallTable before = table;
        EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(kSix)), found);
        EXPECT_EQ(LoggedTexts(), logged);
        ExpectRowsAsIn(before);
    }
    EXPECT_EQ(view.showCallPositionsCount, 0);
}

TEST_F(CallsTest, StatusRequestMatchesOnlyACallWithExactlyTheSameSixFields) {
    PutSix(0, kStatusNew);
    for (std::size_t i = 0; i < 2 * kSix.size(); ++i) {  // each field changed, then emptied
        Fields request = kSix;
        request[i / 2].second = i % 2 ? "" : request[i / 2].second + "x";
        EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(request)), -1) << i;
    }
    Put(1, "1234", kStatusNew);
    Fields otherCase = kSix;
    otherCase[1].second = "hello";
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(otherCase)), -1);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', "1234"}})), 1);
    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock(Fields(kSix.rbegin(), kSix.rend()))), 0);
}

TEST_F(CallsTest, StatusTransferEchoesOnlyPresentFieldsWithTheirBytesUnchanged) {
    const std::string odd = std::string("\xE9\x80\xFF\x00\x1D\x7F", 6);
    const std::tuple<Emulation, Fields, Fields> cases[] = {
        {Emulation::Philips, {{'3', "2"}, {'6', "1"}}, {{'3', "2"}, {'6', "1"}}},
        {Emulation::Philips, {{'1', "\x81Z"}, {'2', odd}}, {{'1', "\x81Z"}, {'2', odd}}},
        {Emulation::CommTechWireLess, {{'3', "2"}, {'6', "1"}}, {}}};
    for (const auto& [mode, held, echoed] : cases) {
        Reset();
        settings.Emulatie = static_cast<std::int16_t>(mode);
        records.StoreCall(CallBlock(held));
        EXPECT_EQ(status.SendStatusTransfer(0), Echo(echoed, "3"));
    }
    FillWithNewCalls();
    const CallTable before = table;
    EXPECT_EQ(status.SendStatusTransfer(-1), Echo({}, "3"));  // outside the table: nothing changes
    EXPECT_EQ(status.SendStatusTransfer(10), Echo({}, "3"));
    ExpectRowsAsIn(before);
}

TEST_F(CallsTest, StatusTransferCodeWordAndLogLineFollowTheModeAndTheOperatorsChoice) {
    const std::tuple<const char*, const char*, const char*, const char*> choices[] = {
        {"QUEUE", "2", "StatusSend QUEUE for Adres [1234]", "4"},
        {"PAGED", "3", "StatusSend PAGED for Adres [1234]", "2"},
        {"ABSENT", "4", "StatusSend ABSENT for Adres [1234]", "4"},
        {"TERMINATED", "5", "StatusSend TERMINATED for Adres [1234]", "5"},
        {"", "5", "StatusSend ERROR, set to TERMINATED Adres [1234]", "4"}};
    for (std::int16_t mode = 0; mode < 5; ++mode) {
        for (const auto& [choice, classicCode, classicLine, dataCallCode] : choices) {
            SCOPED_TRACE(std::string(kEmulationNames[mode]) + " " + choice);
            const bool dataCall = mode == static_cast<std::int16_t>(Emulation::DataCall);
            const bool commTech = mode == static_cast<std::int16_t>(Emulation::CommTechWireLess);
            Reset();
            FillWithNewCalls();
            PutSix(3, kStatusNew);
            CallTable expected = table;
            expected[3].ReturnedStatus = commTech ? "PAGED" : dataCall ? "" : choice;
            settings.Emulatie = mode;
            view.selectedStatus = choice;
            view.showCallPositionsCount = 0;
            const char* code = commTech ? "3" : dataCall ? dataCallCode : classicCode;
            EXPECT_EQ(status.SendStatusTransfer(3),
                      Echo(commTech ? Fields(kSix.begin(), kSix.begin() + 2) : kSix, code));
            ExpectRowsAsIn(expected);
            EXPECT_EQ(LoggedTexts(),
                      commTech ? Texts{"StatusSend CommTechWireLess is ONLY PAGED for Adres [1234]"}
                      : dataCall ? Texts{}
                                 : Texts{classicLine});
            EXPECT_EQ(view.showCallPositionsCount, 1);
        }
    }
}

}  // namespace
}  // namespace espa::test
