#include "calls_fixture.h"

namespace espa::test {
namespace {

using Texts = std::vector<std::string>;

std::string Identifier7(const std::string& code) {
    return std::string("7") + US + code + ETX;
}

class StatusTransferTest : public CallsTest {
  protected:
    void PutExample(int p) {
        Put(p, "1234", kStatusNew);
        table[p].Info = "Hello";
        table[p].Bleep = "2";
    }
    void PutAllSix(int p) {
        PutExample(p);
        table[p].CallType = "T";
        table[p].NrOfTx = "N";
        table[p].Priority = "P";
    }
};

TEST_F(StatusTransferTest, PhilipsPagedEchoesTheFieldsAndReportsCodeThree) {
    SetMode(Emulation::Philips);
    view.selectedStatus = "PAGED";
    PutExample(0);

    const std::string text = status.SendStatusTransfer(0);

    EXPECT_EQ(text, std::string("1") + US + "1234" + RS + "2" + US + "Hello" + RS + "3" + US + "2" +
                        RS + "7" + US + "3" + ETX);
    EXPECT_EQ(LoggedTexts(), Texts{"StatusSend PAGED for Adres [1234]"});
    EXPECT_EQ(table[0].ReturnedStatus, "PAGED");
    EXPECT_EQ(view.showCallPositionsCount, 1);
}

TEST_F(StatusTransferTest, EmptyAddressStartsWithTheNextPresentField) {
    Put(0, "", kStatusNew);
    table[0].Bleep = "2";
    table[0].Priority = "1";
    EXPECT_EQ(status.SendStatusTransfer(0),
              std::string("3") + US + "2" + RS + "6" + US + "1" + RS + Identifier7("3"));
    EXPECT_EQ(LoggedTexts(), Texts{"StatusSend PAGED for Adres []"});
}

TEST_F(StatusTransferTest, PositionWithNoFieldsSendsOnlyTheStatus) {
    table[0].ReturnedStatus = kStatusNew;
    EXPECT_EQ(status.SendStatusTransfer(0), Identifier7("3"));
}

TEST_F(StatusTransferTest, HighBytesAndControlCharactersAreEchoedUnchanged) {
    const std::string adres = "\x81Z";
    const std::string info = std::string("\xE9\x80\xFF\x00\x1D\x7F", 6);
    Put(0, adres, kStatusNew);
    table[0].Info = info;
    EXPECT_EQ(status.SendStatusTransfer(0),
              std::string("1") + US + adres + RS + "2" + US + info + RS + Identifier7("3"));
}

// What each operator's choice gives: the code in the three classic modes with their log line, and
// the code in DataCall mode. CommTechWireLess ignores the choice altogether.
struct ChoiceCase {
    const char* choice;
    const char* classicCode;
    const char* classicLine;
    const char* dataCallCode;
};

constexpr ChoiceCase kChoices[] = {
    {"QUEUE", "2", "StatusSend QUEUE for Adres [1234]", "4"},
    {"PAGED", "3", "StatusSend PAGED for Adres [1234]", "2"},
    {"ABSENT", "4", "StatusSend ABSENT for Adres [1234]", "4"},
    {"TERMINATED", "5", "StatusSend TERMINATED for Adres [1234]", "5"},
    {"", "5", "StatusSend ERROR, set to TERMINATED Adres [1234]", "4"},
};

class StatusTransferByMode : public StatusTransferTest,
                             public ::testing::WithParamInterface<std::tuple<Emulation, int>> {};

TEST_P(StatusTransferByMode, ReportsTheCodeStoresTheWordAndLogsTheLine) {
    const auto [mode, index] = GetParam();
    const ChoiceCase& c = kChoices[index];
    std::string code = c.classicCode, word = c.choice;
    Texts logged{c.classicLine};
    if (mode == Emulation::DataCall) {
        code = c.dataCallCode;
        word = "";
        logged = {};
    } else if (mode == Emulation::CommTechWireLess) {
        code = "3";
        word = "PAGED";
        logged = {"StatusSend CommTechWireLess is ONLY PAGED for Adres [1234]"};
    }
    SetMode(mode);
    view.selectedStatus = c.choice;
    PutAllSix(3);

    const std::string text = status.SendStatusTransfer(3);

    const std::string tail = Identifier7(code);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(table[3].ReturnedStatus, word);
    EXPECT_EQ(LoggedTexts(), logged);
    EXPECT_EQ(view.showCallPositionsCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    AllModesAndChoices, StatusTransferByMode,
    ::testing::Combine(::testing::Values(Emulation::Philips, Emulation::AscomNira,
                                         Emulation::MediCall, Emulation::DataCall,
                                         Emulation::CommTechWireLess),
                       ::testing::Range(0, static_cast<int>(std::size(kChoices)))),
    [](const auto& info) {
        std::string name(kEmulationNames[static_cast<int>(std::get<0>(info.param))]);
        const std::string choice = kChoices[std::get<1>(info.param)].choice;
        std::erase(name, '/');
        return name + "_" + (choice.empty() ? "none" : choice);
    });

TEST_F(StatusTransferTest, EveryModeButCommTechWireLessEchoesAllSixFields) {
    for (Emulation mode :
         {Emulation::Philips, Emulation::AscomNira, Emulation::MediCall, Emulation::DataCall}) {
        SetMode(mode);
        PutAllSix(0);
        const std::string text = status.SendStatusTransfer(0);
        EXPECT_EQ(text.substr(0, text.size() - 4),
                  std::string("1") + US + "1234" + RS + "2" + US + "Hello" + RS + "3" + US + "2" +
                      RS + "4" + US + "T" + RS + "5" + US + "N" + RS + "6" + US + "P" + RS)
            << kEmulationNames[static_cast<int>(mode)];
    }
}

TEST_F(StatusTransferTest, CommTechWireLessEchoesOnlyIdentifiersOneAndTwo) {
    SetMode(Emulation::CommTechWireLess);
    view.selectedStatus = "ABSENT";
    PutAllSix(0);
    EXPECT_EQ(status.SendStatusTransfer(0),
              std::string("1") + US + "1234" + RS + "2" + US + "Hello" + RS + Identifier7("3"));
}

TEST_F(StatusTransferTest, CommTechWireLessWithoutAddressOrInfoSendsOnlyTheStatus) {
    SetMode(Emulation::CommTechWireLess);
    Put(0, "", kStatusNew);
    table[0].Bleep = "2";
    EXPECT_EQ(status.SendStatusTransfer(0), Identifier7("3"));
}

TEST_F(StatusTransferTest, UnselectedChoiceLeavesAnEmptyWordThatCannotBeDeletedOrReused) {
    view.selectedStatus = "";
    FillWithNewCalls();

    EXPECT_EQ(status.SendStatusTransfer(4),
              Identifier7("5").insert(0, std::string("1") + US + "104" + RS));
    EXPECT_EQ(table[4].ReturnedStatus, "");
    EXPECT_FALSE(table[4].IsFree());
    EXPECT_EQ(table.FindFreePosition(), -1);
}

TEST_F(StatusTransferTest, OnlyTheGivenPositionIsChanged) {
    FillWithNewCalls();
    view.selectedStatus = "ABSENT";
    status.SendStatusTransfer(6);
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table[p].ReturnedStatus, p == 6 ? "ABSENT" : "NIEUW") << p;
        EXPECT_EQ(table[p].StatusPending, 1) << p;
    }
}

TEST_F(StatusTransferTest, TransferOutsideTheTableSendsOnlyTheStatusAndChangesNothing) {
    FillWithNewCalls();
    const std::string text = status.SendStatusTransfer(-1);
    EXPECT_EQ(text, Identifier7("3"));
    EXPECT_EQ(status.SendStatusTransfer(10), Identifier7("3"));
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table[p].ReturnedStatus, "NIEUW") << p;
    }
}

TEST_F(StatusTransferTest, QueuedCallIsStillPreferredByTheNextRequest) {
    records.StoreCall(CallBlock({{'1', "55"}}), currentPosition);
    records.StoreCall(CallBlock({{'1', "55"}}), currentPosition);
    view.selectedStatus = "PAGED";
    status.SendStatusTransfer(0);
    view.selectedStatus = "QUEUE";
    status.SendStatusTransfer(1);

    EXPECT_EQ(status.AnswerStatusRequest(RequestBlock({{'1', "55"}})), 1);
}

}  // namespace
}  // namespace espa::test
