// The real espa-central against the real espa-emulator, cabled with a null-modem of two pty
// pairs or over TCP: one run per row, read on the central's report and the emulator's own lines.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "central_harness.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

struct CentralRun {
    const char* name;
    Mode mode;
    const char* status;  // the emulator's --status
    std::vector<std::string> args;
    int exitCode;
    const char* report;                               // the central's standard output, whole
    std::vector<std::pair<std::string, int>> logged;  // how often each stands in the emulator's
    LineFault towardEmulator{};  // the relay hits bytes: a block with a bad check character
    LineFault towardCentral{};
    bool overTcp = false;
};

void PrintTo(const CentralRun& run, std::ostream* out) {
    *out << run.name;
}

class CentralAgainstEmulator : public ::testing::TestWithParam<CentralRun> {};

TEST_P(CentralAgainstEmulator, ReportsEachExchangeAsTheEmulatorLogsIt) {
    const CentralRun& c = GetParam();
    NullModem line(c.towardEmulator, c.towardCentral);
    // Over TCP the emulator waits for the central to dial in.
    const std::string tcp = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EmulatorOnLine emulator(c.mode, c.status, c.overTcp ? "tcp-listen://" + tcp : line.PathB());
    std::vector<std::string> args{"--port", c.overTcp ? "tcp://" + tcp : line.PathA(),
                                  "--poll-interval", "50"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramResult run = RunToEnd(kCentral, args, kDeadline);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, c.report);

    std::string log;
    for (const auto& [text, count] : c.logged) {
        log = emulator.OutputWith(count > 0 ? text : "");
    }
    for (const auto& [text, count] : c.logged) {
        EXPECT_EQ(ChildProcess::CountOf(log, text), count) << text << " in:\n" << log;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, CentralAgainstEmulator, ::testing::Values(
    // Each make with a status choice: the code it sends for it, and the fields it echoes
    // (CommTechWireLess: address and text only, and PAGED whatever is chosen).
    // Latin-1 travels as one byte: the emulator prints the byte 0xE9 it stored as UTF-8.
    CentralRun{"PhilipsQueueWithLatinOneText", Mode::Philips, "queue",
        {"--polls", "1", "--call", "1001", "--text", "Caf\xC3\xA9", "--beep", "2"}, 0,
        "call-accepted: address [1001] text [Caf\xC3\xA9] beep [2]\n"
        "status-transfer: address [1001] text [Caf\xC3\xA9] beep [2] status [2]\n",
        {{"Call (SOH1) to pager: [1001] Info: [Caf\xC3\xA9] Bleep: [2]\n", 1},
         {"StatusSend QUEUE for Adres [1001]\n", 1}}},
    CentralRun{"AscomNiraAbsentWithEveryField", Mode::AscomNira, "absent",
        {"--polls", "1", "--call", "1003", "--text", "Bed 3", "--beep", "2", "--type", "1", "--tx",
         "2", "--priority", "3"}, 0,
        "call-accepted: address [1003] text [Bed 3] beep [2] type [1] tx [2] priority [3]\n"
        "status-transfer: address [1003] text [Bed 3] beep [2] type [1] tx [2] priority [3] "
        "status [4]\n",
        {{"Call (SOH1) to pager: [1003] Info: [Bed 3] Bleep: [2] NrOfTx: [2] Priority: [3] "
          "Calltype: [1]\n", 1},
         {"StatusSend ABSENT for Adres [1003]\n", 1}}},
    CentralRun{"MediCallTerminatedOverTcp", Mode::MediCall, "terminated",
        {"--polls", "1", "--call", "1001"}, 0,
        "call-accepted: address [1001]\nstatus-transfer: address [1001] status [5]\n",
        {{"StatusSend TERMINATED for Adres [1001]\n", 1}}, {}, {}, true},
    // DataCall codes the choice its own way, and logs no StatusSend line.
    CentralRun{"DataCallQueue", Mode::DataCall, "queue", {"--polls", "1", "--call", "1001"}, 0,
        "call-accepted: address [1001]\nstatus-transfer: address [1001] status [4]\n",
        {{"Call (SOH1) to pager: [1001]\n", 1}, {"StatusSend", 0}}},
    CentralRun{"CommTechWireLessQueueAndAStatusRequestRefused", Mode::CommTechWireLess, "queue",
        {"--commtech", "--polls", "1", "--call", "1001", "--text", "Hi", "--beep", "2",
         "--status-request", "1001"}, 0,
        "call-accepted: address [1001] text [Hi] beep [2]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n"
        "status-request-refused: address [1001]\n",
        {{"StatusSend CommTechWireLess is ONLY PAGED for Adres [1001]\n", 1},
         {"DEBUG: CommtechWireLess reacts STRANGE on SOH3", 1}}},
    // Status requests, and a line that damages bytes.
    CentralRun{"StatusRequestForAStoredCallIsAcceptedAndAnsweredAtTheNextPoll", Mode::Philips, "paged",
        {"--polls", "2", "--call", "1001", "--text", "Hi", "--status-request", "1001", "--text",
         "Hi"}, 0,
        "call-accepted: address [1001] text [Hi]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n"
        "status-request-accepted: address [1001] text [Hi]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n",
        {{"StatusRequest (SOH3) for Pager: [1001] found on Position  0", 1}}},
    CentralRun{"StatusRequestForAnUnknownPagerIsRefusedWithoutFailingTheRun", Mode::Philips, "paged",
        {"--polls", "1", "--status-request", "2002"}, 0,
        "status-request-refused: address [2002]\npoll-empty\n",
        {{"DEBUG: StatusRequest for Pager [2002] Not found!", 1}}},
    // Its check character comes raised by 6: 0x1E, shown as [RS].
    CentralRun{"WithoutCommTechOptionACommTechTransferIsNakedAndFailsTheRun", Mode::CommTechWireLess,
        "paged", {"--polls", "1", "--call", "1001"}, 1,
        "call-accepted: address [1001]\nbad-status-transfer: address [1001] status [3] received "
        "[[SOH]2[STX]1[US]1001[RS]7[US]3[ETX][RS]]\n",
        {{"ERROR: After StatusTransfer no ACK received, only EOT/NAK.", 1}}},
    // The emulator NAKs the hit block; the central selects again and sends it once more.
    CentralRun{"CallNakedOnceIsSentAgainAndAccepted", Mode::Philips, "paged",
        {"--polls", "0", "--call", "1001", "--text", "ZAP"}, 0,
        "call-accepted: address [1001] text [ZAP]\n",
        {{"Checksum error!", 1}, {"Call (SOH1) to pager: [1001] Info: [ZAP]\n", 1}}, {'Z', 'Y', 1}},
    CentralRun{"CallNakedThreeTimesIsRefusedAndFailsTheRun", Mode::Philips, "paged",
        {"--polls", "0", "--call", "1001", "--text", "ZAP"}, 1,
        "call-refused: address [1001] text [ZAP]\n",
        {{"Checksum error!", 3}, {"Call (SOH1)", 0}}, {'Z', 'Y', 3}},
    // The status transfer comes back hit: the central NAKs it and shows what it got (the check
    // character 0x60 is still the one for "ZAP"). The paging system closes it with EOT, which the
    // next call must not take for its own answer.
    CentralRun{"CallRightAfterADamagedStatusTransferStillGoesThrough", Mode::Philips, "paged",
        {"--polls", "1", "--call", "1001", "--text", "ZAP", "--call", "1002"}, 1,
        "call-accepted: address [1001] text [ZAP]\n"
        "bad-status-transfer: address [1001] text [YAP] status [3] received "
        "[[SOH]2[STX]1[US]1001[RS]2[US]YAP[RS]7[US]3[ETX]`]\n"
        "call-accepted: address [1002]\n",
        {{"ERROR: After StatusTransfer no ACK received, only EOT/NAK.", 1},
         {"Call (SOH1) to pager: [1002]\n", 1}}, {}, {'Z', 'Y', 1}}),
    [](const ::testing::TestParamInfo<CentralRun>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace espa::test
