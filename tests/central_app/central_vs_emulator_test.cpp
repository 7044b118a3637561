// The real espa-central against the real espa-emulator, cabled with a null-modem of two pty
// pairs (or over TCP): every emulation mode and every status choice, on the central's
// reports and the emulator's own log lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "central_harness.h"
#include "null_modem.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

constexpr int kCalls = 10;

// Call i goes to pager 1000 + i with text "Bed i" and beep 2; call 3 also carries type 1, tx 2 and
// priority 3.
std::vector<std::string> CallArguments(int i) {
    std::vector<std::string> args{
        "--call", std::to_string(1000 + i), "--text", "Bed " + std::to_string(i), "--beep", "2"};
    if (i == 3) {
        args.insert(args.end(), {"--type", "1", "--tx", "2", "--priority", "3"});
    }
    return args;
}

// The fields of call i as the central reports them: the address, then what follows it.
std::string Address(int i) {
    return "address [" + std::to_string(1000 + i) + "]";
}
std::string OtherFields(int i) {
    return " text [Bed " + std::to_string(i) + "] beep [2]" +
           (i == 3 ? " type [1] tx [2] priority [3]" : "");
}

// The emulator's log line for stored call i, in the order its operator reads the fields.
std::string CallLogLine(int i) {
    return "Call (SOH1) to pager: [" + std::to_string(1000 + i) + "] Info: [Bed " +
           std::to_string(i) + "] Bleep: [2]" +
           (i == 3 ? " NrOfTx: [2] Priority: [3] Calltype: [1]" : "") + "\n";
}

struct ModeCase {
    const char* name;
    Mode mode;
    const char* status;  // the emulator's --status
    const char* code;    // the status code the transfers must carry
    // The emulator's log line per transfer, before " for Adres [": none in DataCall mode.
    const char* statusSend;
    bool commTech;
};

void PrintTo(const ModeCase& c, std::ostream* out) {
    *out << c.name;
}

class TenCallsInEveryMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(TenCallsInEveryMode, EveryCallIsAcceptedAndReportedWithItsStatusCode) {
    const ModeCase& c = GetParam();
    NullModem line;
    EmulatorOnLine emulator(c.mode, c.status, line.PathB());
    std::vector<std::string> args{"--port", line.PathA(), "--polls", "10", "--poll-interval", "50"};
    if (c.commTech) {
        args.push_back("--commtech");
    }
    // Each call is polled for before the next goes out, so each transfer is about its call.
    // CommTechWireLess echoes the address and the text only.
    std::string report;
    for (int i = 1; i <= kCalls; ++i) {
        const std::vector<std::string> call = CallArguments(i);
        args.insert(args.end(), call.begin(), call.end());
        const std::string echoed =
            c.commTech ? " text [Bed " + std::to_string(i) + "]" : OtherFields(i);
        report += "call-accepted: " + Address(i) + OtherFields(i) +
                  "\nstatus-transfer: " + Address(i) + echoed + " status [" + c.code + "]\n";
    }
    const ProgramResult run = RunProgram(CentralPath(), args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, report);

    const std::string output = emulator.OutputWith(CallLogLine(kCalls));
    for (int i = 1; i <= kCalls; ++i) {
        EXPECT_EQ(Count(output, CallLogLine(i)), 1) << output;
        if (c.statusSend != nullptr) {
            const std::string sent =
                std::string(c.statusSend) + " for Adres [" + std::to_string(1000 + i) + "]\n";
            EXPECT_EQ(Count(output, sent), 1) << sent << output;
        }
    }
    if (c.statusSend == nullptr) {
        EXPECT_EQ(Count(output, "StatusSend"), 0) << output;
    }
}

// Every mode, and every status choice both in the modes that report it as chosen and in
// DataCall, which codes it its own way; CommTechWireLess reports PAGED whatever is chosen.
INSTANTIATE_TEST_SUITE_P(
    Modes, TenCallsInEveryMode,
    ::testing::Values(
        ModeCase{"PhilipsPaged", Mode::Philips, "paged", "3", "StatusSend PAGED", false},
        ModeCase{"PhilipsQueue", Mode::Philips, "queue", "2", "StatusSend QUEUE", false},
        ModeCase{"AscomNiraAbsent", Mode::AscomNira, "absent", "4", "StatusSend ABSENT", false},
        ModeCase{"MediCallTerminated", Mode::MediCall, "terminated", "5", "StatusSend TERMINATED",
                 false},
        ModeCase{"DataCallPaged", Mode::DataCall, "paged", "2", nullptr, false},
        ModeCase{"DataCallQueue", Mode::DataCall, "queue", "4", nullptr, false},
        ModeCase{"DataCallAbsent", Mode::DataCall, "absent", "4", nullptr, false},
        ModeCase{"DataCallTerminated", Mode::DataCall, "terminated", "5", nullptr, false},
        ModeCase{"CommTechWireLessQueue", Mode::CommTechWireLess, "queue", "3",
                 "StatusSend CommTechWireLess is ONLY PAGED", true}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

// One run of the central (with --poll-interval 50) against the emulator: the central's report
// exactly, and texts in the emulator's log with how often they must stand there.
struct Exchange {
    const char* name;
    Mode mode;
    const char* status;
    std::vector<std::string> args;
    int exitCode;
    const char* report;
    std::vector<std::pair<std::string, int>> log;
    LineFault towardEmulator{};  // the relay flips bytes: a block with a bad check character
    LineFault towardCentral{};
    bool overTcp = false;
};

void PrintTo(const Exchange& c, std::ostream* out) {
    *out << c.name;
}

class CentralAgainstEmulator : public ::testing::TestWithParam<Exchange> {};

TEST_P(CentralAgainstEmulator, ReportsEachExchangeAsTheEmulatorLogsIt) {
    const Exchange& c = GetParam();
    NullModem line(c.towardEmulator, c.towardCentral);
    // Over TCP the emulator waits for the central to dial in.
    const std::string tcp = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EmulatorOnLine emulator(c.mode, c.status, c.overTcp ? "tcp-listen://" + tcp : line.PathB());
    if (c.overTcp) {
        emulator.OutputWith("waiting for a central on " + tcp);
    }
    std::vector<std::string> args{"--port", c.overTcp ? "tcp://" + tcp : line.PathA(),
                                  "--poll-interval", "50"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramResult run = RunProgram(CentralPath(), args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, c.report);

    std::string log;
    for (const auto& [text, count] : c.log) {
        log = emulator.OutputWith(count > 0 ? text : "");
    }
    for (const auto& [text, count] : c.log) {
        EXPECT_EQ(Count(log, text), count) << text << " in:\n" << log;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Exchanges, CentralAgainstEmulator, ::testing::Values(
    Exchange{"StatusRequestForAStoredCallIsAcceptedAndAnsweredAtTheNextPoll", Mode::Philips,
        "paged", {"--polls", "2", "--call", "1001", "--text", "Hi", "--status-request", "1001",
        "--text", "Hi"}, 0,
        "call-accepted: address [1001] text [Hi]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n"
        "status-request-accepted: address [1001] text [Hi]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n",
        {{"StatusRequest (SOH3) for Pager: [1001] found on Position  0", 1}}},
    Exchange{"StatusRequestForAnUnknownPagerIsRefusedWithoutFailingTheRun", Mode::Philips,
        "paged", {"--polls", "1", "--status-request", "2002"}, 0,
        "status-request-refused: address [2002]\npoll-empty\n",
        {{"DEBUG: StatusRequest for Pager [2002] Not found!", 1}}},
    Exchange{"CommTechWireLessRefusesStatusRequestsWithOneThenNak", Mode::CommTechWireLess,
        "paged", {"--commtech", "--polls", "1", "--call", "1001", "--status-request", "1001"}, 0,
        "call-accepted: address [1001]\nstatus-transfer: address [1001] status [3]\n"
        "status-request-refused: address [1001]\n",
        {{"DEBUG: CommtechWireLess reacts STRANGE on SOH3", 1}}},
    // Its check character comes raised by 6: 0x1E, shown as [RS].
    Exchange{"WithoutCommTechOptionACommTechTransferIsNakedAndFailsTheRun", Mode::CommTechWireLess,
        "paged", {"--polls", "1", "--call", "1001"}, 1,
        "call-accepted: address [1001]\nbad-status-transfer: address [1001] status [3] received "
        "[[SOH]2[STX]1[US]1001[RS]7[US]3[ETX][RS]]\n",
        {{"ERROR: After StatusTransfer no ACK received, only EOT/NAK.", 1}}},
    // Latin-1 travels as one byte: the emulator prints the byte 0xE9 it stored as "é".
    Exchange{"LatinOneTextTravelsAsOneByte", Mode::Philips, "absent",
        {"--polls", "1", "--call", "1001", "--text", "Caf\xC3\xA9 \"1\""}, 0,
        "call-accepted: address [1001] text [Caf\xC3\xA9 \"1\"]\n"
        "status-transfer: address [1001] text [Caf\xC3\xA9 \"1\"] status [4]\n",
        {{"Info: [Caf\xC3\xA9 \"1\"]\n", 1}}},
    // The emulator NAKs the hit block; the central selects again and sends it once more.
    Exchange{"CallNakedOnceIsSentAgainAndAccepted", Mode::Philips, "paged",
        {"--polls", "0", "--call", "1001", "--text", "ZAP"}, 0,
        "call-accepted: address [1001] text [ZAP]\n",
        {{"Checksum error!", 1}, {"Call (SOH1) to pager: [1001] Info: [ZAP]\n", 1}}, {'Z', 'Y', 1}},
    Exchange{"CallNakedThreeTimesIsRefusedAndFailsTheRun", Mode::Philips, "paged",
        {"--polls", "0", "--call", "1001", "--text", "ZAP"}, 1,
        "call-refused: address [1001] text [ZAP]\n",
        {{"Checksum error!", 3}, {"Call (SOH1)", 0}}, {'Z', 'Y', 3}},
    // The status transfer comes back hit: the central NAKs it and shows what it got, control
    // bytes by name (the check character 0x60 is still the one for "ZAP"). The paging system
    // closes it with EOT, which the next call must not take for its own answer.
    Exchange{"CallRightAfterADamagedStatusTransferStillGoesThrough", Mode::Philips, "paged",
        {"--polls", "1", "--call", "1001", "--text", "ZAP", "--call", "1002"}, 1,
        "call-accepted: address [1001] text [ZAP]\n"
        "bad-status-transfer: address [1001] text [YAP] status [3] received "
        "[[SOH]2[STX]1[US]1001[RS]2[US]YAP[RS]7[US]3[ETX]`]\n"
        "call-accepted: address [1002]\n",
        {{"ERROR: After StatusTransfer no ACK received, only EOT/NAK.", 1},
         {"Call (SOH1) to pager: [1002]\n", 1}}, {}, {'Z', 'Y', 1}},
    Exchange{"CallAndStatusTransferGoOverTcp", Mode::Philips, "terminated",
        {"--polls", "1", "--call", "1001"}, 0,
        "call-accepted: address [1001]\nstatus-transfer: address [1001] status [5]\n",
        {{"Call (SOH1) to pager: [1001]\n", 1}}, {}, {}, true}),
    [](const ::testing::TestParamInfo<Exchange>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace espa::test
