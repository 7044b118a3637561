// The real espa-central against the real espa-emulator, cabled with a null-modem of two pty pairs
// or over TCP: one run per row, read on the central's report and a line of the emulator's.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "central_harness.h"
#include "report_counts.h"

namespace espa::test {
namespace {

struct CentralRun {
    const char* name;
    Mode mode;
    const char* status;  // the emulator's --status
    std::vector<std::string> args;
    const char* report;  // the central's standard output, whole
    const char* logged;  // a line of the emulator's
    bool overTcp = false;
    friend void PrintTo(const CentralRun& run, std::ostream* out) { *out << run.name; }
};

class CentralAgainstEmulator : public ::testing::TestWithParam<CentralRun> {};

TEST_P(CentralAgainstEmulator, ReportsEachExchangeAsTheEmulatorLogsIt) {
    const CentralRun& c = GetParam();
    NullModem line;
    // Over TCP the emulator waits for the central to dial in.
    const std::string tcp = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EmulatorRun emulator({"--port", "Com1=" + (c.overTcp ? "tcp-listen://" + tcp : line.PathB()),
                          "--status", c.status},
                         {.emulatie = static_cast<int>(c.mode)});
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    std::vector<std::string> args{"--port", c.overTcp ? "tcp://" + tcp : line.PathA(),
                                  "--poll-interval", "50"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramResult run = RunToEnd(kCentral, args, kDeadline);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.report);
    EXPECT_TRUE(emulator.process.WaitForOutput(c.logged, kDeadline)) << emulator.process.Stdout();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, CentralAgainstEmulator, ::testing::Values(
    // Each make with a status choice: the code it sends for it, and the fields it echoes
    // (CommTechWireLess: address and text only, and PAGED whatever is chosen). Latin-1 travels
    // as one byte: the emulator prints the byte 0xE9 it stored as UTF-8.
    CentralRun{"AscomNiraAbsentWithEveryField", Mode::AscomNira, "absent",
        {"--polls", "1", "--call", "1003", "--text", "Caf\xC3\xA9", "--beep", "2", "--type", "1",
         "--tx", "2", "--priority", "3"},
        "call-accepted: address [1003] text [Caf\xC3\xA9] beep [2] type [1] tx [2] priority [3]\n"
        "status-transfer: address [1003] text [Caf\xC3\xA9] beep [2] type [1] tx [2] priority [3] "
        "status [4]\n",
        "Call (SOH1) to pager: [1003] Info: [Caf\xC3\xA9] Bleep: [2] NrOfTx: [2] Priority: [3] "
        "Calltype: [1]\n"},
    CentralRun{"MediCallTerminatedOverTcp", Mode::MediCall, "terminated",
        {"--polls", "1", "--call", "1001"},
        "call-accepted: address [1001]\nstatus-transfer: address [1001] status [5]\n",
        "StatusSend TERMINATED for Adres [1001]\n", true},
    CentralRun{"CommTechWireLessQueueAndAStatusRequestRefused", Mode::CommTechWireLess, "queue",
        {"--commtech", "--polls", "1", "--call", "1001", "--text", "Hi", "--beep", "2",
         "--status-request", "1001"},
        "call-accepted: address [1001] text [Hi] beep [2]\n"
        "status-transfer: address [1001] text [Hi] status [3]\n"
        "status-request-refused: address [1001]\n",
        "StatusSend CommTechWireLess is ONLY PAGED for Adres [1001]\n"}),
    [](const ::testing::TestParamInfo<CentralRun>& info) { return std::string(info.param.name); });
// clang-format on

// The report's totals are the run's own --json events: each call stored, status request, poll,
// status transfer by its code and NAK either way, once.
TEST(ReportOfARun, TotalsAreTheEventsTheEmulatorPrinted) {
    NullModem line;
    TempDir reports;
    PutReportProgramOnPath();
    EmulatorRun emulator({"--port", "Com1=" + line.PathB(), "--status", "queue", "--json",
                          "--decode", "--report", (reports.path() / "run.html").string()});
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    const ProgramResult central =
        RunToEnd(kCentral,
                 {"--port", line.PathA(), "--poll-interval", "50", "--call", "1001", "--call",
                  "1002", "--status-request", "1001", "--status-request", "7", "--polls", "3"},
                 kDeadline);
    ASSERT_EQ(central.exitCode, 0) << central.err;
    // Frames are printed on the lamp tick: the last poll's, up to 250 ms after it.
    ASSERT_TRUE(emulator.process.WaitForOutput(R"("kind":"poll")", kDeadline, 3));
    ASSERT_EQ(emulator.process.Stop(SIGTERM, kDeadline), 0);

    std::map<std::string, long> counted{{"calls", 0},           {"status_requests", 0},
                                        {"polls", 0},           {"naks_by_paging_system", 0},
                                        {"naks_by_central", 0}, {"timeouts", 0},
                                        {"check_errors", 0}};
    std::istringstream out(emulator.process.Stdout());
    for (std::string text; std::getline(out, text);) {
        const auto event = nlohmann::json::parse(text, nullptr, false);
        if (!event.is_object()) {
            continue;
        }
        const std::string name = event["event"], kind = event.value("kind", "");
        ++counted[name == "call_stored"      ? "calls"
                  : name == "status_request" ? "status_requests"
                  : name == "status_sent"    ? "status_transfers/" + event.value("code", "")
                  : name == "nak_sent"       ? "naks_by_paging_system"
                  : kind == "poll"           ? "polls"
                  : kind == "nak" && event["direction"] == "C->P" ? "naks_by_central"
                                                                  : "other"];
    }
    counted.erase("other");
    EXPECT_EQ(ReportCounts(reports.path() / "run.json"), counted);
    EXPECT_NE(ReadFile(reports.path() / "run.html").find("</html>"), std::string::npos);
}

}  // namespace
}  // namespace espa::test
