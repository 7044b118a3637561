// The real program, headless, with Com1 on a pty and the central played by the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>

#include "emulator_process.h"
#include "pty_pair.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace central;

constexpr auto kDeadline = 5s;
constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";

struct SettingsFile {
    int emulatie = 0;
    int baudRate = 4;
    int parity = 0;
    int bits = 1;
    int stopBits = 0;
    int handShake = 0;
    int logfile = 3;
};

std::string SettingsText(const SettingsFile& s) {
    auto line = [](const char* key, int value) { return key + std::to_string(value) + "\r\n"; };
    return line("0        Compoort ->", 0) + line("10       Emulatie ->", s.emulatie) +
           line("11       BaudRate ->", s.baudRate) + line("12       Parity ->", s.parity) +
           line("13       Bits ->", s.bits) + line("14       StopBits ->", s.stopBits) +
           line("15       HandShake ->", s.handShake) + line("20       Logfile ->", s.logfile);
}

// All daily files of one log folder, run together (a run across midnight makes two).
std::string ReadLogFolder(const std::filesystem::path& folder) {
    std::string all;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        all += ReadFile(entry.path());
    }
    return all;
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

const std::string kCallData = Field('1', "1234") + RS + Field('2', "Hello") + RS + Field('3', "2");

class HeadlessRun : public ::testing::Test {
  protected:
    void StartProgram(const SettingsFile& settings, std::vector<std::string> extra = {}) {
        WriteFile(m_dir.path() / "espa.set", SettingsText(settings));
        std::vector<std::string> args{"--headless", "--app-dir", m_dir.path().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        m_program = std::make_unique<EmulatorProcess>(args);
    }

    // Started on the pty and ready: the open line has been printed.
    void StartOnLine(const SettingsFile& settings, std::vector<std::string> extra = {}) {
        extra.push_back("--port");
        extra.push_back("Com1=" + m_line.SlavePath());
        StartProgram(settings, extra);
        ASSERT_TRUE(m_program->WaitForOutput(kOpenedLine, kDeadline)) << m_program->Output();
    }

    std::string Answer(std::size_t count) { return m_line.Read(count, kDeadline); }

    void SendCall(const std::string& data) {
        m_line.Write(Select());
        ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
        m_line.Write(Block('1', data));
        ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
    }

    // Poll, accept the emulator's select and return the status transfer block; EOT must close it.
    std::string PollForStatusTransfer(std::size_t blockLength) {
        m_line.Write(Poll());
        EXPECT_EQ(Visible(Answer(2)), Visible(std::string("1") + ENQ));
        m_line.Write(std::string(1, ACK));
        const std::string block = Answer(blockLength);
        m_line.Write(std::string(1, ACK));
        EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, EOT)));
        return block;
    }

    int StopProgram(int signalNumber = SIGTERM) {
        const std::optional<int> status = m_program->Stop(signalNumber, kDeadline);
        EXPECT_TRUE(status.has_value()) << "the program did not exit by itself";
        return status.value_or(-1);
    }

    TempDir m_dir;
    PtyPair m_line;
    std::unique_ptr<EmulatorProcess> m_program;
};

TEST_F(HeadlessRun, SelectIsAcknowledged) {
    StartOnLine({});
    m_line.Write(Select());
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
}

TEST_F(HeadlessRun, CallBlockIsAcknowledgedAndPrinted) {
    StartOnLine({});
    SendCall(kCallData);
    EXPECT_TRUE(m_program->WaitForOutput("Call (SOH1) to pager: [1234] Info: [Hello] Bleep: [2]",
                                         kDeadline))
        << m_program->Output();
}

TEST_F(HeadlessRun, PollAfterCallBringsStatusTransferWithPagedCode) {
    StartOnLine({});
    SendCall(kCallData);
    const std::string expected = Block('2', kCallData + RS + Field('7', "3"));
    EXPECT_EQ(Visible(PollForStatusTransfer(expected.size())), Visible(expected));
    EXPECT_TRUE(m_program->WaitForOutput("StatusSend PAGED for Adres [1234]", kDeadline));

    // PAGED is final: the next poll finds nothing owed.
    m_line.Write(Poll());
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, EOT)));
}

TEST_F(HeadlessRun, QueueStatusIsReportedAgainAtNextPoll) {
    StartOnLine({}, {"--status", "queue"});
    SendCall(kCallData);
    const std::string expected = Block('2', kCallData + RS + Field('7', "2"));
    EXPECT_EQ(Visible(PollForStatusTransfer(expected.size())), Visible(expected));
    EXPECT_EQ(Visible(PollForStatusTransfer(expected.size())), Visible(expected));
}

TEST_F(HeadlessRun, PollWithNothingOwedIsAnsweredWithEot) {
    StartOnLine({});
    m_line.Write(Poll());
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, EOT)));
}

TEST_F(HeadlessRun, StatusRequestForStoredCallIsAcknowledgedAndAnsweredAtNextPoll) {
    StartOnLine({}, {"--status", "absent"});
    SendCall(kCallData);
    m_line.Write(Select());
    ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
    m_line.Write(Block('3', kCallData));
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
    EXPECT_TRUE(m_program->WaitForOutput(
        "StatusRequest (SOH3) for Pager: [1234] found on Position  0", kDeadline))
        << m_program->Output();

    const std::string expected = Block('2', kCallData + RS + Field('7', "4"));
    EXPECT_EQ(Visible(PollForStatusTransfer(expected.size())), Visible(expected));
}

TEST_F(HeadlessRun, StatusRequestForUnknownPagerIsAnsweredWithNak) {
    StartOnLine({});
    m_line.Write(Select());
    ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
    m_line.Write(Block('3', Field('1', "999")));
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, NAK)));
    EXPECT_TRUE(
        m_program->WaitForOutput("DEBUG: StatusRequest for Pager [999] Not found!", kDeadline));
}

TEST_F(HeadlessRun, WrongCheckCharacterIsAnsweredWithNak) {
    StartOnLine({});
    m_line.Write(Select());
    ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
    std::string block = Block('1', kCallData);
    block.back() = static_cast<char>(block.back() ^ 0x01);
    m_line.Write(block);
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, NAK)));
    EXPECT_TRUE(m_program->WaitForOutput("DEBUG: Error in Checksum, NACK sent", kDeadline));

    // Nothing was stored, so nothing is owed.
    m_line.Write(Poll());
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, EOT)));
}

TEST_F(HeadlessRun, LogFilesHoldEventLinesAndCharacterTrace) {
    StartOnLine({});
    SendCall(kCallData);
    ASSERT_TRUE(m_program->WaitForOutput("Call (SOH1) to pager: [1234]", kDeadline));
    EXPECT_EQ(StopProgram(), 0);

    const std::string log = ReadLogFolder(m_dir.path() / "Log");
    EXPECT_NE(log.find(std::string(kOpenedLine) + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("Call (SOH1) to pager: [1234] Info: [Hello] Bleep: [2]\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("Comport closed by software.\r\n"), std::string::npos);

    const std::string trace = ReadLogFolder(m_dir.path() / "DebugLog");
    EXPECT_NE(trace.find("RxD: " + std::string(18, ' ') + "[ENQ] 5     0x05  \r\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("RxD: " + std::string(18, ' ') + "H     72    0x48  \r\n"),
              std::string::npos);
    // Two ACKs went out: one for the select, one for the block.
    EXPECT_EQ(Count(trace, "TxD: [ACK] 6     0x06  \r\n"), 2);
}

TEST_F(HeadlessRun, EightBitTextIsRawInFilesAndReadableOnScreen) {
    StartOnLine({});
    SendCall(Field('1', "77") + RS + Field('2', std::string("Caf\xE9\x07 ok")));
    ASSERT_TRUE(m_program->WaitForOutput("Call (SOH1) to pager: [77]", kDeadline));
    EXPECT_TRUE(m_program->WaitForOutput("Info: [Caf\xC3\xA9[BEL] ok]", kDeadline))
        << m_program->Output();
    EXPECT_EQ(StopProgram(), 0);

    const std::string log = ReadLogFolder(m_dir.path() / "Log");
    EXPECT_NE(log.find("Info: [Caf\xE9\x07 ok]\r\n"), std::string::npos);
}

TEST_F(HeadlessRun, ComLinkInApplicationFolderIsThePort) {
    std::filesystem::create_symlink(m_line.SlavePath(), m_dir.path() / "Com1");
    StartProgram({});
    ASSERT_TRUE(m_program->WaitForOutput(kOpenedLine, kDeadline)) << m_program->Output();
    m_line.Write(Select());
    EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));
}

TEST_F(HeadlessRun, LineSettingsFromEspaSetAreTakenOnAVirtualLine) {
    SettingsFile settings;
    settings.baudRate = 5;
    settings.parity = 1;
    settings.bits = 0;
    settings.stopBits = 1;
    StartProgram(settings, {"--port", "Com1=" + m_line.SlavePath()});
    EXPECT_TRUE(
        m_program->WaitForOutput("Com: 1 opened for ESPA emulation with: 19200,E,7,2", kDeadline))
        << m_program->Output();
}

TEST_F(HeadlessRun, MissingPortIsReportedAndProgramKeepsRunning) {
    SettingsFile settings;
    settings.logfile = 1;
    StartProgram(settings, {"--port", "Com1=" + (m_dir.path() / "no-such-tty").string()});
    EXPECT_TRUE(m_program->WaitForOutput("Error opening ComPort:  1\n", kDeadline))
        << m_program->Output();
    EXPECT_TRUE(m_program->IsRunning());
    EXPECT_EQ(StopProgram(), 0);
    // Level 1 writes no files.
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "Log"));
}

TEST_F(HeadlessRun, SigtermClosesThePortAndExitsWithZero) {
    StartOnLine({});
    EXPECT_EQ(StopProgram(SIGTERM), 0);
    EXPECT_EQ(m_program->CountInOutput("Comport closed by software."), 1);
}

TEST_F(HeadlessRun, SigintClosesThePortAndExitsWithZero) {
    StartOnLine({});
    EXPECT_EQ(StopProgram(SIGINT), 0);
    EXPECT_EQ(m_program->CountInOutput("Comport closed by software."), 1);
}

TEST_F(HeadlessRun, LostPortIsLoggedOnceWithoutBusyLoop) {
    StartOnLine({});
    m_line.Write(Select());
    ASSERT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK)));

    m_line.Hangup();
    ASSERT_TRUE(m_program->WaitForOutput("ERROR: Comport lost.", kDeadline)) << m_program->Output();

    // A behaviour check with a generous bound: a program that spins on the dead descriptor uses
    // a whole core here.
    const long before = m_program->CpuTicks();
    const auto window = 2s;
    std::this_thread::sleep_for(window);
    const long after = m_program->CpuTicks();
    ASSERT_GE(before, 0);
    const double seconds = static_cast<double>(after - before) / ::sysconf(_SC_CLK_TCK);
    EXPECT_LT(seconds / 2.0 * 100.0, 2.0) << "CPU seconds over 2 s: " << seconds;

    EXPECT_TRUE(m_program->IsRunning());
    EXPECT_EQ(m_program->CountInOutput("ERROR: Comport lost."), 1);
    EXPECT_EQ(StopProgram(), 0);
    EXPECT_EQ(Count(ReadLogFolder(m_dir.path() / "Log"), "ERROR: Comport lost.\r\n"), 1);
}

#ifdef ESPA_E2E_WITH_WINDOW
// The same program with its window, on the offscreen platform: the line is served the same way,
// and a stop signal closes the port once, as the close box would.
TEST_F(HeadlessRun, WindowedRunAnswersTheLineAndClosesThePortOnce) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    WriteFile(m_dir.path() / "espa.set", SettingsText({}));
    m_program = std::make_unique<EmulatorProcess>(std::vector<std::string>{
        "--app-dir", m_dir.path().string(), "--port", "Com1=" + m_line.SlavePath()});
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    std::string answer;
    while (answer.empty() && std::chrono::steady_clock::now() < end) {
        m_line.Write(Select());
        answer = m_line.Read(1, 500ms);
    }
    EXPECT_EQ(Visible(answer), Visible(std::string(1, ACK)));
    EXPECT_EQ(StopProgram(), 0);
    const std::string log = ReadLogFolder(m_dir.path() / "Log");
    EXPECT_EQ(Count(log, std::string(kOpenedLine) + "\r\n"), 1) << log;
    EXPECT_EQ(Count(log, "Comport closed by software.\r\n"), 1) << log;
}
#endif

class CommandLineRun : public ::testing::Test {};

TEST_F(CommandLineRun, VersionPrintsTheProgramVersion) {
    EmulatorProcess program({"--version"});
    EXPECT_EQ(program.WaitForExit(kDeadline), 0);
    EXPECT_NE(program.Output().find("3.4.0"), std::string::npos) << program.Output();
}

TEST_F(CommandLineRun, HelpListsTheOptions) {
    EmulatorProcess program({"--help"});
    EXPECT_EQ(program.WaitForExit(kDeadline), 0);
    for (const char* option : {"--app-dir", "--port", "--headless", "--status"}) {
        EXPECT_NE(program.Output().find(option), std::string::npos) << option;
    }
}

TEST_F(CommandLineRun, UnknownStatusIsRefused) {
    TempDir dir;
    EmulatorProcess program({"--headless", "--app-dir", dir.path().string(), "--status", "lost"});
    EXPECT_EQ(program.WaitForExit(kDeadline), 2);
}

TEST_F(CommandLineRun, MalformedPortOptionIsRefused) {
    TempDir dir;
    EmulatorProcess program({"--headless", "--app-dir", dir.path().string(), "--port", "ttyS0"});
    EXPECT_EQ(program.WaitForExit(kDeadline), 2);
}

}  // namespace
}  // namespace espa::test
