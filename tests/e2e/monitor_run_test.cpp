// The real espa-monitor on two taps of a line between the real espa-central and the real
// espa-emulator, and on the captures both keep: what a user tapping a line gets.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <deque>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "capture/capture_writer.h"
#include "central_harness.h"
#include "espa_frames.h"
#include "report_counts.h"

namespace espa::test {
namespace {

const std::string kMonitor = ESPA_MONITOR_PATH;

// A null-modem between the central (A) and the paging system (B) with a tap on each direction:
// what A sends is copied to the central's tap, what B sends to the paging system's, the central's
// `late` after it crossed, as two adapters with their own delays deliver it.
class TappedLine {
  public:
    explicit TappedLine(std::chrono::milliseconds late)
        : m_relay([this, late] {
              std::deque<std::pair<std::chrono::steady_clock::time_point, std::string>> held;
              while (!m_stop) {
                  const std::string fromA = m_a.ReadFor(2ms);
                  m_b.Write(fromA);
                  if (!fromA.empty()) {
                      held.emplace_back(std::chrono::steady_clock::now() + late, fromA);
                  }
                  const std::string fromB = m_b.ReadFor(2ms);
                  m_a.Write(fromB);
                  m_pagingTap.Write(fromB);
                  while (!held.empty() && held.front().first <= std::chrono::steady_clock::now()) {
                      m_centralTap.Write(held.front().second);
                      held.pop_front();
                  }
              }
          }) {}
    ~TappedLine() {
        m_stop = true;
        m_relay.join();
    }
    PtyPair m_a, m_b, m_centralTap, m_pagingTap;

  private:
    std::atomic<bool> m_stop{false};
    std::thread m_relay;  // last: starts once the ptys are open
};

// The frame objects of JSON output without their times, which differ between two programs
// stamping the same bytes.
std::vector<std::string> Frames(const std::string& output) {
    static const std::regex times(R"("time":"[^"]*",|,"gap_ms":[-0-9a-z]+)");
    std::vector<std::string> frames;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(R"({"event":"frame")", 0) == 0) {
            frames.push_back(std::regex_replace(line, times, ""));
        }
    }
    return frames;
}

std::string Field(const std::string& text, const std::regex& pattern) {
    std::smatch match;
    return std::regex_search(text, match, pattern) ? match[1].str() : "";
}

struct MonitorCase {
    const char* name;
    Mode mode;
    const char* make;
    bool swapped;                 // the central's tap given as port B
    const char* fault = nullptr;  // the emulator's, NAKing one block
};

class MonitorOnTappedLine : public ::testing::TestWithParam<MonitorCase> {};

TEST_P(MonitorOnTappedLine, DecodesWhatBothSidesSaidAndKeepsTheSameCaptureAsTheEmulator) {
    const MonitorCase& c = GetParam();
    TempDir dir;
    const std::string emulatorCapture = (dir.path() / "emulator.pcap").string();
    const std::string monitorCapture = (dir.path() / "monitor.pcap").string();
    const std::string csv = (dir.path() / "frames.csv").string();
    // Longer than the emulator takes to answer: its answers reach the monitor before the questions.
    TappedLine line(60ms);
    ChildProcess monitor(
        kMonitor,
        {"--port-a", c.swapped ? line.m_pagingTap.SlavePath() : line.m_centralTap.SlavePath(),
         "--port-b", c.swapped ? line.m_centralTap.SlavePath() : line.m_pagingTap.SlavePath(),
         "--make", c.make, "--json", "--write", monitorCapture});
    ASSERT_TRUE(monitor.WaitForOutput(R"({"event":"listening")", kDeadline)) << monitor.Stderr();
    std::vector<std::string> emulatorArgs{"--port", "Com1=" + line.m_b.SlavePath(), "--capture",
                                          emulatorCapture};
    if (c.fault != nullptr) {
        emulatorArgs.insert(emulatorArgs.end(), {"--fault", c.fault});
    }
    EmulatorRun emulator(emulatorArgs, {.emulatie = static_cast<int>(c.mode)});
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    std::vector<std::string> centralArgs{
        "--port", line.m_a.SlavePath(), "--poll-interval", "50", "--call", "1001", "--polls", "2"};
    if (c.mode == Mode::CommTechWireLess) {
        centralArgs.push_back("--commtech");
    }
    const ProgramResult central = RunToEnd(kCentral, centralArgs, kDeadline);
    ASSERT_EQ(central.exitCode, 0) << central.err;

    const std::vector<std::string> sent = Frames(
        RunToEnd(kMonitor, {"--read", emulatorCapture, "--json", "--make", c.make}, kDeadline).out);
    ASSERT_FALSE(sent.empty());
    monitor.WaitForOutput(R"({"event":"frame")", kDeadline, static_cast<int>(sent.size()));
    ASSERT_EQ(monitor.Stop(SIGINT, kDeadline), 0) << monitor.Stderr();
    const std::string heard = monitor.Stdout();
    EXPECT_EQ(Frames(heard), sent);
    EXPECT_NE(heard.find(c.swapped ? R"("central":"port-b")" : R"("central":"port-a")"),
              std::string::npos)
        << heard;

    // The summary counts what the central reported: its calls, its polls, the status sent.
    const std::string summary = Field(heard, std::regex(R"((\{"event":"summary".*\}))"));
    const std::string status = Field(central.out, std::regex(R"(status \[(\w+)\])"));
    ASSERT_FALSE(status.empty()) << central.out;
    for (const std::string& count :
         {R"("calls":)" + std::to_string(Count(central.out, "call-accepted")),
          std::string(R"("polls":2,)"), R"("status_transfers":{")" + status + R"(":1})",
          R"("naks_by_paging_system":)" + std::to_string(c.fault != nullptr) +
              R"(,"naks_by_central":0,"timeouts":0,"check_errors":0)"}) {
        EXPECT_NE(summary.find(count), std::string::npos) << count << " in " << summary;
    }

    const std::filesystem::path figures = dir.path() / "run.json";
    const ProgramResult reread = RunToEnd(kMonitor,
                                          {"--read", monitorCapture, "--json", "--make", c.make,
                                           "--export", csv, "--report", figures.string()},
                                          kDeadline);
    EXPECT_EQ(reread.exitCode, 0) << reread.err;
    EXPECT_EQ(Frames(reread.out), sent);
    EXPECT_EQ(ReportCounts(figures), Counts(nlohmann::json::parse(Field(
                                         reread.out, std::regex(R"((\{"event":"summary".*\}))")))));
    EXPECT_EQ(Count(ReadFile(csv), "\r\n"), static_cast<int>(sent.size()) + 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Makes, MonitorOnTappedLine, ::testing::Values(
    MonitorCase{"Philips", Mode::Philips, "philips", false},
    MonitorCase{"AscomNiraWithTheTapsSwapped", Mode::AscomNira, "ascom", true},
    MonitorCase{"MediCall", Mode::MediCall, "medicall", false},
    MonitorCase{"PhilipsWithABlockNaked", Mode::Philips, "philips", false, "nak-block:1"},
    MonitorCase{"DataCall", Mode::DataCall, "datacall", false},
    MonitorCase{"CommTechWireLess", Mode::CommTechWireLess, "commtech", false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A tap named by a link, as a user names an adapter: the device goes away and comes back as a new
// pty behind the same link, and the monitor listens to it again.
TEST(MonitorRun, ATapThatGoesAwayIsTakenAgainWhenItComesBack) {
    TempDir dir;
    const std::filesystem::path link = dir.path() / "tap";
    auto tap = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(tap->SlavePath(), link);
    ChildProcess monitor(kMonitor, {"--port-a", link.string()});
    ASSERT_TRUE(monitor.WaitForOutput("LISTENING: port-a", kDeadline)) << monitor.Stderr();

    tap->Hangup();
    std::filesystem::remove(link);
    ASSERT_TRUE(monitor.WaitForOutput("is gone", kDeadline)) << monitor.Stdout();
    tap = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(tap->SlavePath(), link);
    ASSERT_TRUE(monitor.WaitForOutput("TAP: port-a " + link.string() + " is back", kDeadline))
        << monitor.Stdout();
    tap->Write(kPoll);
    EXPECT_TRUE(monitor.WaitForOutput("C->P poll 2", kDeadline)) << monitor.Stdout();
    EXPECT_EQ(monitor.Stop(SIGINT, kDeadline), 0);
}

// One line and exit 2 for what cannot start; a capture cut short is decoded up to the cut, then
// named with its offset, exit 1.
TEST(MonitorRun, BadInputIsAnsweredWithItsExitStatus) {
    TempDir dir;
    const std::filesystem::path cut = dir.path() / "cut.pcap";
    {
        CaptureWriter writer;
        ASSERT_EQ(writer.Open(cut.string()), std::nullopt);
        ASSERT_EQ(writer.Write({Side::Central, 1'000'000, kPoll}), std::nullopt);
        ASSERT_EQ(writer.Write({Side::PagingSystem, 1'050'000, frames::Ch(frames::EOT)}),
                  std::nullopt);
    }
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 1);
    // Arguments, exit status, what standard output and standard error hold.
    const std::tuple<std::vector<std::string>, int, const char*, const char*> cases[] = {
        {{"--read", cut.string()}, 1, "C->P poll 2", "byte 43: "},
        {{"--read", (dir.path() / "none.pcap").string()}, 2, "", "none.pcap"},
        {{"--port-a", (dir.path() / "no-tty").string()}, 2, "", "no-tty: No such file"},
        {{"--port-a", "/dev/null", "--make", "nokia"}, 2, "", "--make"},
        {{"--read", cut.string(), "--report", (dir.path() / "no" / "run.json").string()},
         2,
         "",
         "--report: folder not found"},
        {{}, 2, "", "--port-a"},
    };
    for (const auto& [arguments, exitCode, out, err] : cases) {
        SCOPED_TRACE(arguments.empty() ? "nothing" : arguments.back());
        const ProgramResult run = RunToEnd(kMonitor, arguments, kDeadline);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_NE(run.out.find(out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(err), std::string::npos) << run.err;
        EXPECT_EQ(Count(run.err, "\n"), 1) << run.err;
    }
}

}  // namespace
}  // namespace espa::test
