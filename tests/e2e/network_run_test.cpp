// The real program, headless, with Com1 on a TCP link to a central played by the test on the
// loopback interface: dialling out, and waiting for the central to dial in.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <memory>
#include <thread>

#include "emulator_process.h"
#include "espa_exchange.h"
#include "tcp_peer.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace central;

constexpr auto kDeadline = 5s;
constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";

const std::string kCallData =
    Field('1', "4711") + RS + Field('2', "Net call") + RS + Field('3', "1");
const std::string kPagedTransfer = Block('2', kCallData + RS + Field('7', "3"));

class NetworkRun : public ::testing::Test {
  protected:
    void Start(const std::string& device, std::vector<std::string> extra = {}) {
        WriteFile(m_dir.path() / "espa.set", EspaSetText(1));
        std::vector<std::string> args{"--headless", "--app-dir", m_dir.path().string(), "--port",
                                      "Com1=" + device};
        args.insert(args.end(), extra.begin(), extra.end());
        m_program = std::make_unique<EmulatorProcess>(args, Redirects{false, "/dev/null", ""});
        ASSERT_TRUE(m_program->WaitForOutput(kOpenedLine, kDeadline)) << m_program->Output();
    }

    // A call and its PAGED status transfer over `link`.
    void CallAndStatus(TcpLink& link) {
        CentralExchange<TcpLink> central(link, kDeadline);
        central.SendCall(kCallData);
        EXPECT_EQ(Visible(central.PollForStatusTransfer(kPagedTransfer.size())),
                  Visible(kPagedTransfer));
    }

    TempDir m_dir;
    std::unique_ptr<EmulatorProcess> m_program;
};

TEST_F(NetworkRun, DialledCentralExchangesCallAndStatusTransfer) {
    TcpListener central;
    Start("tcp://127.0.0.1:" + std::to_string(central.Port()), {"--json"});
    const std::unique_ptr<TcpLink> link = central.Accept(kDeadline);
    ASSERT_NE(link, nullptr) << m_program->Output();
    CallAndStatus(*link);
    EXPECT_TRUE(m_program->WaitForOutput("Connected to the central at 127.0.0.1:", kDeadline));
    EXPECT_TRUE(m_program->WaitForOutput("{\"event\":\"port_opened\"", kDeadline));
    EXPECT_NE(m_program->Output().find(
                  "\"device\":\"tcp://127.0.0.1:" + std::to_string(central.Port()) + "\""),
              std::string::npos)
        << m_program->Output();
    EXPECT_EQ(m_program->Stop(SIGTERM, kDeadline), 0);
}

TEST_F(NetworkRun, DroppedLinkIsDialledAgainAndServesTheNextCall) {
    TcpListener central;
    Start("tcp://127.0.0.1:" + std::to_string(central.Port()), {"--json"});
    std::unique_ptr<TcpLink> link = central.Accept(kDeadline);
    ASSERT_NE(link, nullptr);
    CallAndStatus(*link);

    link->Close();
    EXPECT_TRUE(m_program->WaitForOutput(
        "ERROR: Connection to the central at 127.0.0.1:" + std::to_string(central.Port()) +
            " lost; reconnecting.",
        kDeadline))
        << m_program->Output();
    EXPECT_TRUE(m_program->WaitForOutput("{\"event\":\"port_lost\"", kDeadline));

    // Dialled again within the retry second (plus slack), on the same port.
    link = central.Accept(kDeadline);
    ASSERT_NE(link, nullptr) << m_program->Output();
    CallAndStatus(*link);
    EXPECT_EQ(m_program->CountInOutput("Connected to the central at"), 2);
    EXPECT_EQ(m_program->Stop(SIGTERM, kDeadline), 0);
}

TEST_F(NetworkRun, CentralNotYetListeningIsDialledUntilItIs) {
    const int port = FreeLoopbackPort();
    Start("tcp://127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(m_program->WaitForOutput("Cannot reach the central at 127.0.0.1:", kDeadline))
        << m_program->Output();

    // A few refused dials go by: once a second, not in a tight loop, and reported only once.
    const long before = m_program->CpuTicks();
    std::this_thread::sleep_for(2200ms);
    const long after = m_program->CpuTicks();
    ASSERT_GE(before, 0);
    const double seconds = static_cast<double>(after - before) / ::sysconf(_SC_CLK_TCK);
    EXPECT_LT(seconds, 0.2) << "CPU seconds while the central was away";

    TcpListener late(port);
    const std::unique_ptr<TcpLink> link = late.Accept(kDeadline);
    ASSERT_NE(link, nullptr) << m_program->Output();
    CallAndStatus(*link);
    EXPECT_EQ(m_program->CountInOutput("Cannot reach the central"), 1) << m_program->Output();
}

TEST_F(NetworkRun, ListeningEmulatorServesTheCentralThatDialsIn) {
    const int port = FreeLoopbackPort();
    Start("tcp-listen://127.0.0.1:" + std::to_string(port));
    EXPECT_TRUE(m_program->WaitForOutput(
        "Com1 is serial over IP: waiting for a central on 127.0.0.1:" + std::to_string(port),
        kDeadline));
    const std::unique_ptr<TcpLink> link = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(link, nullptr);
    CallAndStatus(*link);
    EXPECT_TRUE(m_program->WaitForOutput("Central connected from 127.0.0.1:", kDeadline));
}

TEST_F(NetworkRun, SecondCentralIsHungUpWhileTheFirstKeepsTheLine) {
    const int port = FreeLoopbackPort();
    Start("tcp-listen://127.0.0.1:" + std::to_string(port));
    const std::unique_ptr<TcpLink> first = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(m_program->WaitForOutput("Central connected from", kDeadline));

    const std::unique_ptr<TcpLink> second = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->WaitClosed(kDeadline));
    EXPECT_TRUE(m_program->WaitForOutput("A second central from 127.0.0.1:", kDeadline));

    CallAndStatus(*first);
}

TEST_F(NetworkRun, NextCentralIsServedAfterTheFirstLeaves) {
    const int port = FreeLoopbackPort();
    Start("tcp-listen://127.0.0.1:" + std::to_string(port), {"--json"});
    std::unique_ptr<TcpLink> link = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(link, nullptr);
    CallAndStatus(*link);

    link->Close();
    ASSERT_TRUE(m_program->WaitForOutput("ERROR: Central at 127.0.0.1:", kDeadline))
        << m_program->Output();
    EXPECT_TRUE(m_program->WaitForOutput("{\"event\":\"port_lost\"", kDeadline));

    link = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(link, nullptr);
    CallAndStatus(*link);
    EXPECT_EQ(m_program->CountInOutput("{\"event\":\"connected\""), 2);
}

TEST_F(NetworkRun, PortAlreadyInUseFailsTheOpenVisibly) {
    TcpListener other;
    WriteFile(m_dir.path() / "espa.set", EspaSetText(1));
    m_program = std::make_unique<EmulatorProcess>(
        std::vector<std::string>{"--headless", "--app-dir", m_dir.path().string(), "--port",
                                 "Com1=tcp-listen://127.0.0.1:" + std::to_string(other.Port())},
        Redirects{false, "/dev/null", ""});
    EXPECT_TRUE(m_program->WaitForOutput("Error opening ComPort:  1", kDeadline))
        << m_program->Output();
    EXPECT_TRUE(m_program->IsRunning());
}

TEST_F(NetworkRun, MalformedAddressIsRefusedOnTheCommandLine) {
    for (const char* device : {"tcp://127.0.0.1", "tcp://:4001", "tcp-listen://host:0",
                               "tcp://host:70000", "tcp://host:12a"}) {
        EmulatorProcess program({"--headless", "--app-dir", m_dir.path().string(), "--port",
                                 std::string("Com1=") + device});
        EXPECT_EQ(program.WaitForExit(kDeadline), 2) << device;
    }
}

}  // namespace
}  // namespace espa::test
