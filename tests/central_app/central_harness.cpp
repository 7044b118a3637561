#include "central_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace espa::test {
namespace {

// Checks `done` every few milliseconds until it holds or the deadline passes.
template <typename Done>
bool WaitUntil(Done done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& program,
                               const std::vector<std::string>& arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = m_dir.path() / "out";
    const std::string err = m_dir.path() / "err";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT,
                                     0600);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + program);
    }
}

ProgramProcess::~ProgramProcess() {
    if (IsRunning()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::string ProgramProcess::WaitForOutput(const std::string& text,
                                          std::chrono::milliseconds deadline) {
    std::string out;
    WaitUntil([&] { return (out = Stdout()).find(text) != std::string::npos; }, deadline);
    return out;
}

bool ProgramProcess::IsRunning() {
    int status = 0;
    if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = status;
    }
    return !m_status;
}

std::optional<int> ProgramProcess::WaitForExit(std::chrono::milliseconds deadline) {
    if (!WaitUntil([this] { return !IsRunning(); }, deadline) || !WIFEXITED(*m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*m_status);
}

std::optional<int> ProgramProcess::Stop(int signalNumber, std::chrono::milliseconds deadline) {
    if (IsRunning()) {
        ::kill(m_pid, signalNumber);
    }
    return WaitForExit(deadline);
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    ProgramProcess process(program, arguments);
    const auto exitCode = process.WaitForExit(kDeadline);
    return {exitCode, process.Stdout(), process.Stderr()};
}

EmulatorOnLine::EmulatorOnLine(Mode mode, const std::string& status, const std::string& device) {
    // Port 0 is Com1; baud rate 4 is 9600, bits 1 is 8; log level 1 prints every event on
    // standard output.
    const std::string settings = "0        Compoort ->0\r\n10       Emulatie ->" +
                                 std::to_string(static_cast<int>(mode)) +
                                 "\r\n11       BaudRate ->4\r\n12       Parity ->0\r\n"
                                 "13       Bits ->1\r\n14       StopBits ->0\r\n"
                                 "15       HandShake ->0\r\n20       Logfile ->1\r\n";
    WriteFile(m_dir.path() / "espa.set", settings);
    m_process.emplace(ESPA_EMULATOR_PATH,
                      std::vector<std::string>{"--headless", "--app-dir", m_dir.path().string(),
                                               "--port", "Com1=" + device, "--status", status});
    const std::string opened = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";
    if (OutputWith(opened).find(opened) == std::string::npos) {
        throw std::runtime_error("espa-emulator did not open its port: " + m_process->Stdout() +
                                 m_process->Stderr());
    }
}

EmulatorOnLine::~EmulatorOnLine() {
    m_process->Stop(SIGTERM, kDeadline);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace espa::test
