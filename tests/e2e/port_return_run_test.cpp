// The real program, headless, with Com1 as a link in its application folder to a pty, as a user
// points it at an adapter: the line goes away and comes back as a new pty behind the same link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>

#include "emulator_program.h"
#include "line_script.h"
#include "pty_pair.h"

namespace espa::test {
namespace {

using namespace frames;

constexpr const char* kLostLine = "ERROR: Comport lost.";

TEST(PortReturnRun, LineThatComesBackBehindTheLinkIsServedAgainWithItsCallsKept) {
    auto line = std::make_unique<PtyPair>();
    EmulatorRun emulator({}, {.logfile = 2, .com1Link = line->SlavePath().c_str()});
    ChildProcess& program = emulator.process;
    const std::filesystem::path link = emulator.dir.path() / "Com1";
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline)) << program.Stdout();
    const std::string call = Fields({{'1', "4711"}, {'2', "Back"}});
    Play(*line, {{"select", Select(), Ch(ACK)}, {"call", Block('1', call), Ch(ACK)}});

    line->Hangup();
    std::filesystem::remove(link);
    ASSERT_TRUE(program.WaitForOutput(kLostLine, kDeadline)) << program.Stdout();
    const std::string atLoss = program.Stdout();
    // Nothing to wait for here but time: the program retries once a second while the device is
    // away, and must do so quietly and without spinning on the dead line (which would take a
    // whole core). The window holds two retries.
    const long before = program.CpuTicks();
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    const double cpuSeconds = static_cast<double>(program.CpuTicks() - before) /
                              static_cast<double>(::sysconf(_SC_CLK_TCK));
    ASSERT_GE(before, 0);
    EXPECT_LT(cpuSeconds, 0.05);
    EXPECT_EQ(program.Stdout(), atLoss) << "the retries printed something";

    line = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(line->SlavePath(), link);
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline, 2)) << program.Stdout();
    // The call stored before the loss is still owed its status, and new calls are taken.
    Play(*line, {{"poll", Poll(), std::string("1") + ENQ},
                 {"take the select", Ch(ACK), Block('2', call + RS + Field('7', "3"))},
                 {"acknowledge the transfer", Ch(ACK), Ch(EOT)},
                 {"select", Select(), Ch(ACK)},
                 {"new call", Block('1', Field('1', "815")), Ch(ACK)}});
    EXPECT_TRUE(program.WaitForOutput("Call (SOH1) to pager: [815]", kDeadline));

    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    const std::string log = emulator.Log();
    EXPECT_EQ(ChildProcess::CountOf(log, std::string(kLostLine) + "\r\n"), 1) << log;
    EXPECT_EQ(log.find("Error opening ComPort"), std::string::npos) << log;
}

}  // namespace
}  // namespace espa::test
