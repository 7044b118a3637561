// Each fault the emulator makes on purpose, met by the real espa-central set to cope a known
// way, over TCP: what the central says of it on its side, and the verdict on the central that
// the emulator's report gives.
#include <gtest/gtest.h>

#include <csignal>
#include <nlohmann/json.hpp>

#include "central_harness.h"

namespace espa::test {
namespace {

struct Verdict {
    const char* result;
    int tries;
    const char* reaction;  // a piece of it
};

struct VerdictRun {
    const char* name;
    std::vector<std::string> emulatorArgs;
    std::vector<std::string> centralArgs;  // after its port, a call to 1001 and quick polls
    int centralExit;
    std::string centralSays;  // its standard output, whole
    std::vector<Verdict> verdicts;
    friend void PrintTo(const VerdictRun& run, std::ostream* out) { *out << run.name; }
};

class CentralVerdicts : public ::testing::TestWithParam<VerdictRun> {};

TEST_P(CentralVerdicts, BothSidesSeeTheFaultAndTheReportJudgesTheCentralRight) {
    const VerdictRun& r = GetParam();
    TempDir reports;
    PutReportProgramOnPath();
    const std::string tcp = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
    std::vector<std::string> emulatorArgs{"--port", "Com1=tcp-listen://" + tcp, "--report",
                                          (reports.path() / "run.html").string()};
    emulatorArgs.insert(emulatorArgs.end(), r.emulatorArgs.begin(), r.emulatorArgs.end());
    EmulatorRun emulator(emulatorArgs);
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    std::vector<std::string> args{"--port", "tcp://" + tcp,    "--call",
                                  "1001",   "--poll-interval", "50"};
    args.insert(args.end(), r.centralArgs.begin(), r.centralArgs.end());
    const ProgramResult central = RunToEnd(kCentral, args, kDeadline);
    EXPECT_EQ(central.exitCode, r.centralExit) << central.err;
    EXPECT_EQ(central.out, r.centralSays);
    // The central's last byte of each run was answered, so the emulator has read them all.
    ASSERT_EQ(emulator.process.Stop(SIGINT, kDeadline), 0);
    const auto faults = nlohmann::json::parse(ReadFile(reports.path() / "run.json"))["faults"];
    ASSERT_EQ(faults.size(), r.verdicts.size()) << faults.dump(1);
    for (std::size_t i = 0; i < faults.size(); ++i) {
        SCOPED_TRACE(faults[i].dump());
        EXPECT_EQ(faults[i]["result"], r.verdicts[i].result);
        EXPECT_EQ(faults[i]["tries"], r.verdicts[i].tries);
        EXPECT_NE(faults[i]["reaction"].get<std::string>().find(r.verdicts[i].reaction),
                  std::string::npos);
    }
}

constexpr const char* kAccepted = "call-accepted: address [1001]\n";
constexpr const char* kPaged = "status-transfer: address [1001] status [3]\n";
constexpr const char* kSelectRetry =
    "retry: address [1001] (nothing came while waiting for the ACK of the select; trying again)\n";
// The silence begins as the emulator starts, so the central's first select falls into it; the
// short one ends half a second before the central's first retry, the long one 4 s after its last.
const std::vector<std::string> kTimeoutRetries{"--timeout",        "1000", "--timeout-retries", "2",
                                               "--retry-interval", "500"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Faults, CentralVerdicts, ::testing::Values(
    VerdictRun{"NakedBlockSentAgainAfterAFreshSelect", {"--fault", "nak-block:1"}, {}, 0,
        "resent: address [1001] (after a fresh select)\n" + std::string(kAccepted) + kPaged,
        {{"recovered", 1, "re-selected and sent again"}}},
    // The emulated paging system waits for a select after its NAK: the bare block goes unheard.
    VerdictRun{"NakedBlockSentAgainWithoutASelect", {"--fault", "nak-block:1"},
        {"--reselect", "no", "--timeout", "1000"}, 1,
        "resent: address [1001] (without a fresh select)\nno-answer: address [1001] (nothing came "
        "while waiting for the ACK or NAK of the block)\n",
        {{"not-recovered", 1, "sent again without a fresh select"}}},
    VerdictRun{"MoreNaksThanTheCentralRetries", {"--fault", "nak-block:3"}, {"--nak-retries", "1"},
        1, "resent: address [1001] (after a fresh select)\ncall-refused: address [1001]\n",
        {{"not-recovered", 1, "re-selected and sent again"}, {"not-recovered", 0, "gave up"}}},
    VerdictRun{"SilenceShorterThanTheTimeout", {"--fault", "silent:1000"}, kTimeoutRetries, 0,
        kSelectRetry + std::string(kAccepted) + kPaged,
        {{"recovered", 2, "made 1 try during the silence"}}},
    VerdictRun{"SilenceOutlastingEveryRetry", {"--fault", "silent:8000"}, kTimeoutRetries, 1,
        kSelectRetry + std::string(kSelectRetry) +
            "no-answer: address [1001] (nothing came while waiting for the ACK of the select)\n",
        {{"not-recovered", 3, "made 3 tries during the silence; gave up"}}},
    VerdictRun{"BadCheckNakedAndTheSameStatusAtTheNextPoll", {"--fault", "bad-check:1"}, {}, 1,
        kAccepted + std::string("bad-status-transfer: address [1001] status [3] received "
        "[[SOH]2[STX]1[US]1001[RS]7[US]3[ETX][EM]]\n") + kPaged,
        {{"recovered", 1, "NAKed the status transfer"}}},
    // Without --polls the central ends by itself once the call has a final status.
    VerdictRun{"StatusPlanSeenInOrder", {"--status-plan", "queue:2,paged"}, {}, 0,
        kAccepted + std::string("status-transfer: address [1001] status [2]\n"
        "status-transfer: address [1001] status [2]\n") + kPaged,
        {}},
    // QUEUE first, so the central has to poll on after the transfer left open.
    VerdictRun{"MissingEotAndTheCentralCarriesOn",
        {"--fault", "no-eot:1", "--status-plan", "queue:1,paged"}, {"--timeout", "500"}, 1,
        kAccepted + std::string("status-transfer: address [1001] status [2]\nno-eot\n") + kPaged,
        {{"recovered", 1, "carried on after"}}}),
    [](const ::testing::TestParamInfo<VerdictRun>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace espa::test
