// The real program, headless, with Com1 on a TCP link to a central played by the test on the
// loopback interface: dialling out, and waiting for the central to dial in.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "emulator_program.h"
#include "line_script.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

using namespace frames;

const std::vector<Turn> kCallAndStatus =
    CallAndStatus(Fields({{'1', "4711"}, {'2', "Net call"}, {'3', "1"}}), "3");

TEST(NetworkRun, DialledCentralIsServedAndDialledAgainWhenTheLinkDrops) {
    TcpListener central;
    const std::string address = "127.0.0.1:" + std::to_string(central.Port());
    EmulatorRun emulator({"--port", "Com1=tcp://" + address});
    ChildProcess& program = emulator.process;
    std::unique_ptr<TcpLink> link = central.Accept(kDeadline);
    ASSERT_NE(link, nullptr) << program.Stdout();
    Play(*link, kCallAndStatus);
    EXPECT_TRUE(program.WaitForOutput("Connected to the central at " + address, kDeadline));

    link->Close();
    EXPECT_TRUE(program.WaitForOutput(
        "ERROR: Connection to the central at " + address + " lost; reconnecting.", kDeadline))
        << program.Stdout();
    link = central.Accept(kDeadline);
    ASSERT_NE(link, nullptr) << program.Stdout();
    Play(*link, kCallAndStatus);
    EXPECT_EQ(program.Stop(SIGINT, kDeadline), 0);
    EXPECT_EQ(program.CountInOutput("Connected to the central at"), 2);
}

TEST(NetworkRun, ListeningEmulatorServesTheCentralThatDialsIn) {
    const int port = FreeLoopbackPort();
    const std::string address = "127.0.0.1:" + std::to_string(port);
    EmulatorRun emulator({"--port", "Com1=tcp-listen://" + address});
    ChildProcess& program = emulator.process;
    ASSERT_TRUE(program.WaitForOutput("Com1 is serial over IP: waiting for a central on " + address,
                                      kDeadline))
        << program.Stdout();
    const std::unique_ptr<TcpLink> link = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(link, nullptr);
    Play(*link, kCallAndStatus);
    EXPECT_TRUE(program.WaitForOutput("Central connected from 127.0.0.1:", kDeadline));
}

}  // namespace
}  // namespace espa::test
