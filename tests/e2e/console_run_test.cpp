// The real program, headless, driven through its standard input, reporting in JSON, and playing
// its own central with --demo.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <memory>
#include <sstream>
#include <vector>

#include "emulator_process.h"
#include "espa_exchange.h"
#include "pty_pair.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace central;

constexpr auto kDeadline = 5s;
constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";

const std::string kCallData = Field('1', "1234") + RS + Field('2', "Hello") + RS + Field('3', "2");

std::string TransferWithCode(const std::string& data, const char* code) {
    return Block('2', data + RS + Field('7', code));
}

// The JSON objects among the lines printed, in order.
std::vector<QJsonObject> JsonEvents(const std::string& output) {
    std::vector<QJsonObject> events;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != '{') {
            continue;
        }
        QJsonParseError error{};
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
        events.push_back(document.object());
    }
    return events;
}

std::vector<QJsonObject> EventsNamed(const std::string& output, const char* name) {
    std::vector<QJsonObject> named;
    for (const QJsonObject& event : JsonEvents(output)) {
        if (event.value("event").toString() == QLatin1String(name)) {
            named.push_back(event);
        }
    }
    return named;
}

class ConsoleRun : public ::testing::Test {
  protected:
    // The program on the pty, with the given standard input, ready on the line.
    void Start(const Redirects& redirects, int logfile = 1, std::vector<std::string> extra = {}) {
        WriteFile(m_dir.path() / "espa.set", EspaSetText(logfile));
        std::vector<std::string> args{"--headless", "--app-dir", m_dir.path().string(), "--port",
                                      "Com1=" + m_line.SlavePath()};
        args.insert(args.end(), extra.begin(), extra.end());
        m_program = std::make_unique<EmulatorProcess>(args, redirects);
        if (logfile > 0) {
            ASSERT_TRUE(m_program->WaitForOutput(kOpenedLine, kDeadline)) << m_program->Output();
        }
    }

    void StartWithInput(int logfile = 1, std::vector<std::string> extra = {}) {
        Start(Redirects{true, "", ErrorFile().string()}, logfile, std::move(extra));
    }

    void Command(const std::string& line) { m_program->WriteInput(line + "\n"); }

    std::filesystem::path ErrorFile() const { return m_dir.path() / "stderr.txt"; }
    std::string Errors() const { return ReadFile(ErrorFile()); }

    TempDir m_dir;
    PtyPair m_line;
    CentralExchange<PtyPair> m_central{m_line, kDeadline};
    std::unique_ptr<EmulatorProcess> m_program;
};

TEST_F(ConsoleRun, StatusCommandSetsTheCodeOfTheNextStatusTransfer) {
    StartWithInput();
    m_central.SendCall(kCallData);
    Command("status absent");
    ASSERT_TRUE(m_program->WaitForOutput("Status ABSENT selected.", kDeadline));
    const std::string absent = TransferWithCode(kCallData, "4");
    EXPECT_EQ(Visible(m_central.PollForStatusTransfer(absent.size())), Visible(absent));

    Command("STATUS Terminated");
    ASSERT_TRUE(m_program->WaitForOutput("Status TERMINATED selected.", kDeadline));
    m_central.SendCall(kCallData);
    const std::string terminated = TransferWithCode(kCallData, "5");
    EXPECT_EQ(Visible(m_central.PollForStatusTransfer(terminated.size())), Visible(terminated));
}

TEST_F(ConsoleRun, CallsListsOneLinePerOccupiedPosition) {
    StartWithInput();
    m_central.SendCall(kCallData);
    const std::string paged = TransferWithCode(kCallData, "3");
    ASSERT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));
    m_central.SendCall(Field('1', "77") + RS + Field('2', std::string("Caf\xE9")));

    Command("calls");
    ASSERT_TRUE(m_program->WaitForOutput("Position 1:", kDeadline)) << m_program->Output();
    EXPECT_TRUE(
        m_program->WaitForOutput("Position 0: PAGED [1234] Info: [Hello] Bleep: [2]\n", kDeadline))
        << m_program->Output();
    EXPECT_TRUE(
        m_program->WaitForOutput("Position 1: NIEUW [77] Info: [Caf\xC3\xA9] pending\n", kDeadline))
        << m_program->Output();
    EXPECT_EQ(m_program->CountInOutput("Position "), 2);
}

TEST_F(ConsoleRun, DeleteAndClearEmptyPositionsAndNothingIsOwedAfterClear) {
    StartWithInput();
    m_central.SendCall(kCallData);
    const std::string paged = TransferWithCode(kCallData, "3");
    ASSERT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));

    Command("delete 0");
    EXPECT_TRUE(m_program->WaitForOutput("Position 0 deleted.\n", kDeadline));
    Command("calls");
    EXPECT_TRUE(m_program->WaitForOutput("No calls stored.\n", kDeadline));

    m_central.SendCall(kCallData);
    Command("clear");
    ASSERT_TRUE(m_program->WaitForOutput("All positions cleared.\n", kDeadline));
    m_line.Write(Poll());
    EXPECT_EQ(Visible(m_central.Answer(1)), Visible(std::string(1, EOT)));
    EXPECT_EQ(Errors(), "");
}

TEST_F(ConsoleRun, DeleteKeepsACallStillWaitingForItsStatus) {
    StartWithInput();
    m_central.SendCall(kCallData);
    Command("delete 0");
    Command("calls");
    ASSERT_TRUE(m_program->WaitForOutput("Position 0: NIEUW [1234]", kDeadline))
        << m_program->Output();
    EXPECT_EQ(Errors(), "espa-emulator: position 0 still waits for its status; not deleted\n");
    const std::string paged = TransferWithCode(kCallData, "3");
    EXPECT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));
}

TEST_F(ConsoleRun, BadCommandsGetOneErrorLineEachAndChangeNothing) {
    StartWithInput();
    const std::vector<std::string> badCommands{"frobnicate",
                                               "delete x",
                                               "delete 10",
                                               "status lost",
                                               "status",
                                               "clear now",
                                               std::string("\x01\xFF", 2)};
    for (const std::string& bad : badCommands) {
        Command(bad);
    }
    Command("calls");
    ASSERT_TRUE(m_program->WaitForOutput("No calls stored.\n", kDeadline));
    const std::string errors = Errors();
    int lines = 0;
    std::istringstream in(errors);
    for (std::string line; std::getline(in, line); ++lines) {
        EXPECT_EQ(line.rfind("espa-emulator: ", 0), 0u) << line;
    }
    EXPECT_EQ(lines, 7) << errors;
    EXPECT_NE(errors.find("unknown command 'frobnicate'"), std::string::npos) << errors;
    EXPECT_TRUE(m_program->IsRunning());

    // The status choice was not touched by the refused "status lost".
    m_central.SendCall(kCallData);
    const std::string paged = TransferWithCode(kCallData, "3");
    EXPECT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));
}

TEST_F(ConsoleRun, QuitClosesThePortAndExitsWithZero) {
    StartWithInput();
    Command("quit");
    EXPECT_EQ(m_program->WaitForExit(kDeadline), 0);
    EXPECT_EQ(m_program->CountInOutput("Comport closed by software."), 1);
}

TEST_F(ConsoleRun, EndOfInputIsNotACommand) {
    Start(Redirects{false, "/dev/null", ""});
    // Long enough for the end of input to have been read many times over.
    m_central.SendCall(kCallData);
    const std::string paged = TransferWithCode(kCallData, "3");
    EXPECT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));
    EXPECT_TRUE(m_program->IsRunning());
    EXPECT_EQ(m_program->Stop(SIGTERM, kDeadline), 0);
    EXPECT_EQ(m_program->CountInOutput("Comport closed by software."), 1);
}

TEST_F(ConsoleRun, JsonEventsCarryTheirFieldsWhateverTheLogLevel) {
    StartWithInput(0, {"--json"});
    ASSERT_TRUE(m_program->WaitForOutput("{\"event\":\"port_opened\"", kDeadline))
        << m_program->Output();

    m_central.SendCall(kCallData);
    EXPECT_EQ(Visible(m_central.SendStatusRequest(Field('1', "999"))),
              Visible(std::string(1, NAK)));
    m_line.Write(Select());
    ASSERT_EQ(Visible(m_central.Answer(1)), Visible(std::string(1, ACK)));
    std::string bad = Block('1', kCallData);
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    m_line.Write(bad);
    ASSERT_EQ(Visible(m_central.Answer(1)), Visible(std::string(1, NAK)));
    const std::string paged = TransferWithCode(kCallData, "3");
    ASSERT_EQ(Visible(m_central.PollForStatusTransfer(paged.size())), Visible(paged));
    ASSERT_TRUE(m_program->WaitForOutput("{\"event\":\"status_sent\"", kDeadline));
    Command("quit");
    ASSERT_EQ(m_program->WaitForExit(kDeadline), 0);

    const std::string output = m_program->Output();
    // Level 0 shows no log lines: every line printed is an event.
    for (const char* logged : {"Call (SOH1)", "opened for ESPA", "StatusSend"}) {
        EXPECT_EQ(output.find(logged), std::string::npos) << logged;
    }

    const auto opened = EventsNamed(output, "port_opened");
    ASSERT_EQ(opened.size(), 1u) << output;
    EXPECT_EQ(opened[0].value("port").toInt(), 1);
    EXPECT_EQ(opened[0].value("settings").toString(), "9600,N,8,1");
    EXPECT_EQ(opened[0].value("device").toString().toStdString(), m_line.SlavePath());
    EXPECT_TRUE(opened[0].value("time").toString().contains('T'));

    const auto stored = EventsNamed(output, "call_stored");
    ASSERT_EQ(stored.size(), 1u) << output;
    EXPECT_EQ(stored[0].value("position").toInt(), 0);
    EXPECT_EQ(stored[0].value("pager").toString(), "1234");
    EXPECT_EQ(stored[0].value("info").toString(), "Hello");
    EXPECT_EQ(stored[0].value("bleep").toString(), "2");
    EXPECT_EQ(stored[0].value("status").toString(), "NIEUW");

    const auto requests = EventsNamed(output, "status_request");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].value("pager").toString(), "999");
    EXPECT_FALSE(requests[0].value("found").toBool(true));
    EXPECT_TRUE(requests[0].value("position").isNull());

    const auto naks = EventsNamed(output, "nak_sent");
    ASSERT_EQ(naks.size(), 2u) << output;
    EXPECT_EQ(naks[0].value("reason").toString(), "status_request_not_found");
    EXPECT_EQ(naks[1].value("reason").toString(), "bad_check_character");

    const auto sent = EventsNamed(output, "status_sent");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].value("pager").toString(), "1234");
    EXPECT_EQ(sent[0].value("status").toString(), "PAGED");
    EXPECT_EQ(sent[0].value("code").toString(), "3");
    EXPECT_EQ(EventsNamed(output, "port_closed").size(), 1u);
}

class DemoRun : public ::testing::Test {
  protected:
    TempDir m_dir;
};

TEST_F(DemoRun, HeadlessDemoShowsCallsArriveAndStatusesGoOut) {
    EmulatorProcess program({"--demo", "--headless", "--json", "--app-dir", m_dir.path().string()},
                            Redirects{false, "/dev/null", ""});
    EXPECT_TRUE(program.WaitForOutput("Demo central: call to pager [1001] acknowledged.", 8s))
        << program.Output();
    EXPECT_TRUE(
        program.WaitForOutput("Demo central: status PAGED (code 3) received for pager [1001].", 8s))
        << program.Output();
    EXPECT_TRUE(program.WaitForOutput("Demo central: call to pager [2040] acknowledged.", 8s))
        << program.Output();
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);

    const std::string output = program.Output();
    const auto stored = EventsNamed(output, "call_stored");
    ASSERT_GE(stored.size(), 2u) << output;
    EXPECT_EQ(stored[0].value("pager").toString(), "1001");
    EXPECT_EQ(stored[1].value("pager").toString(), "2040");
    EXPECT_GE(EventsNamed(output, "status_sent").size(), 1u);
}

TEST_F(DemoRun, DemoFollowsTheStatusCommand) {
    EmulatorProcess program({"--demo", "--headless", "--app-dir", m_dir.path().string()},
                            Redirects{true, "", ""});
    program.WriteInput("status absent\n");
    EXPECT_TRUE(program.WaitForOutput(
        "Demo central: status ABSENT (code 4) received for pager [1001].", 8s))
        << program.Output();
    program.WriteInput("quit\n");
    EXPECT_EQ(program.WaitForExit(kDeadline), 0);
}

TEST_F(DemoRun, DemoWithAPortIsRefused) {
    EmulatorProcess program(
        {"--demo", "--headless", "--app-dir", m_dir.path().string(), "--port", "Com1=/dev/null"});
    EXPECT_EQ(program.WaitForExit(kDeadline), 2);
}

#ifdef ESPA_E2E_WITH_WINDOW
TEST_F(DemoRun, DemoRunsWithTheWindowToo) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EmulatorProcess program({"--demo", "--app-dir", m_dir.path().string()},
                            Redirects{false, "/dev/null", ""});
    EXPECT_TRUE(
        program.WaitForOutput("Demo central: status PAGED (code 3) received for pager [1001].", 8s))
        << program.Output();
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
}
#endif

}  // namespace
}  // namespace espa::test
