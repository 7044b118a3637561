// The window lives in a module of its own: a headless run never maps the widget and GUI
// libraries, and a windowed run finds the module beside the program or, installed, in its
// library folder, and says so when it cannot.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "emulator_process.h"
#include "pty_pair.h"
#include "temp_dir.h"
#include "test_central.h"

extern char** environ;

namespace espa::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 5s;
constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";
constexpr const char* kModuleName = "espa-emulator-window";

// Settings that show the log lines, so the headless run prints when its port is open.
std::string ScreenLogSettings() {
    return "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->4\r\n"
           "12       Parity ->0\r\n13       Bits ->1\r\n14       StopBits ->0\r\n"
           "15       HandShake ->0\r\n20       Logfile ->1\r\n";
}

std::string MapsOf(pid_t pid) {
    return ReadFile("/proc/" + std::to_string(pid) + "/maps");
}

TEST(HeadlessProcess, DoesNotMapTheWindowLibrariesOrModule) {
    TempDir dir;
    PtyPair line;
    WriteFile(dir.path() / "espa.set", ScreenLogSettings());
    EmulatorProcess program(
        {"--headless", "--app-dir", dir.path().string(), "--port", "Com1=" + line.SlavePath()},
        Redirects{false, "/dev/null", ""});
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline)) << program.Output();

    const std::string maps = MapsOf(program.Pid());
    // The maps are those of the running program: it has Qt Core and its serial port.
    ASSERT_NE(maps.find("libQt6Core"), std::string::npos) << maps;
    ASSERT_NE(maps.find("libQt6SerialPort"), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libQt6Widgets"), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libQt6Gui"), std::string::npos) << maps;
    EXPECT_EQ(maps.find(kModuleName), std::string::npos) << maps;
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
}

#ifdef ESPA_WINDOW_MODULE_PATH
// A program started by path and run to its end, with its standard error kept.
struct Finished {
    std::optional<int> status;  // nothing when it did not end in time or ended by a signal
    std::string error;
};

Finished RunToEnd(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& errorFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args{program.string()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return {std::nullopt, "cannot start " + program.string()};
    }
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return {std::nullopt, ReadFile(errorFile)};
        }
        std::this_thread::sleep_for(10ms);
    }
    if (!WIFEXITED(status)) {
        return {std::nullopt, ReadFile(errorFile)};
    }
    return {WEXITSTATUS(status), ReadFile(errorFile)};
}

// The program copied into a folder of its own, as an installation would place it.
std::filesystem::path CopyProgram(const std::filesystem::path& bin) {
    std::filesystem::create_directories(bin);
    const std::filesystem::path copy = bin / "espa-emulator";
    std::filesystem::copy_file(EmulatorPath(), copy);
    return copy;
}

class WindowModule : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }

    TempDir m_dir;
};

TEST_F(WindowModule, WindowedRunLoadsTheModuleFromTheBuildTree) {
    PtyPair line;
    EmulatorProcess program(
        {"--app-dir", m_dir.path().string(), "--port", "Com1=" + line.SlavePath()},
        Redirects{false, "/dev/null", ""});
    // Running once the line is answered: the window's emulator has the port.
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    std::string answer;
    while (answer.empty() && std::chrono::steady_clock::now() < end) {
        line.Write(central::Select());
        answer = line.Read(1, 500ms);
    }
    ASSERT_EQ(answer, std::string(1, central::ACK));

    const std::string maps = MapsOf(program.Pid());
    EXPECT_NE(maps.find(kModuleName), std::string::npos) << maps;
    EXPECT_NE(maps.find("libQt6Widgets"), std::string::npos) << maps;
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
}

TEST_F(WindowModule, MissingModuleIsReportedOnOneLineWithTheHeadlessHint) {
    const std::filesystem::path program = CopyProgram(m_dir.path() / "bin");
    const Finished run =
        RunToEnd(program, {"--app-dir", m_dir.path().string()}, m_dir.path() / "error.txt");
    EXPECT_EQ(run.status, 2) << run.error;
    EXPECT_NE(run.error.find("cannot find the window module"), std::string::npos) << run.error;
    EXPECT_NE(run.error.find("--headless"), std::string::npos) << run.error;
    EXPECT_EQ(run.error.find('\n'), run.error.size() - 1) << run.error;

    // The copy itself works: without the window it needs no module.
    EXPECT_EQ(RunToEnd(program, {"--version"}, m_dir.path() / "version.txt").status, 0);
}

// An installed program looks in its library folder; the module there reads the command line,
// which a bad option shows.
TEST_F(WindowModule, InstalledProgramFindsTheModuleInItsLibraryFolder) {
    const std::filesystem::path bin = m_dir.path() / "bin";
    const std::filesystem::path program = CopyProgram(bin);
    const std::filesystem::path libraryDir = bin / ESPA_WINDOW_MODULE_RELATIVE_DIR;
    std::filesystem::create_directories(libraryDir);
    const std::filesystem::path module(ESPA_WINDOW_MODULE_PATH);
    std::filesystem::copy_file(module, libraryDir / module.filename());

    const Finished run = RunToEnd(program, {"--app-dir", m_dir.path().string(), "--no-such-option"},
                                  m_dir.path() / "error.txt");
    EXPECT_EQ(run.status, 2) << run.error;
    EXPECT_NE(run.error.find("no-such-option"), std::string::npos) << run.error;
    EXPECT_EQ(run.error.find("window module"), std::string::npos) << run.error;
}

TEST_F(WindowModule, ModuleThatIsNotOneIsReportedAsUnloadable) {
    const std::filesystem::path program = CopyProgram(m_dir.path() / "bin");
    const std::filesystem::path module(ESPA_WINDOW_MODULE_PATH);
    WriteFile(m_dir.path() / "bin" / module.filename(), "not a library");

    const Finished run =
        RunToEnd(program, {"--app-dir", m_dir.path().string()}, m_dir.path() / "error.txt");
    EXPECT_EQ(run.status, 2) << run.error;
    EXPECT_NE(run.error.find("cannot load the window module"), std::string::npos) << run.error;
    EXPECT_NE(run.error.find("--headless"), std::string::npos) << run.error;
}
#endif

}  // namespace
}  // namespace espa::test
