#include "emulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace espa::test {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Left(Clock::time_point end) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()));
}

}  // namespace

std::string EmulatorPath() {
    return ESPA_EMULATOR_PATH;
}

EmulatorProcess::EmulatorProcess(const std::vector<std::string>& arguments,
                                 const Redirects& redirects) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    int in[2] = {-1, -1};
    if (redirects.inputPipe && ::pipe2(in, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (redirects.inputPipe) {
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    } else if (!redirects.inputFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, redirects.inputFile.c_str(),
                                         O_RDONLY, 0);
    }
    if (!redirects.errorFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, redirects.errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    const std::string program = EmulatorPath();
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    const int rc = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (in[0] >= 0) {
        ::close(in[0]);
    }
    if (rc != 0) {
        ::close(out[0]);
        if (in[1] >= 0) {
            ::close(in[1]);
        }
        throw std::runtime_error("cannot start " + program);
    }
    m_stdin = in[1];
    m_stdout = out[0];
    ::fcntl(m_stdout, F_SETFL, ::fcntl(m_stdout, F_GETFL) | O_NONBLOCK);
}

EmulatorProcess::~EmulatorProcess() {
    if (IsRunning()) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_stdout >= 0) {
        ::close(m_stdout);
    }
    CloseInput();
}

void EmulatorProcess::WriteInput(const std::string& text) {
    std::size_t done = 0;
    while (m_stdin >= 0 && done < text.size()) {
        const ssize_t n = ::write(m_stdin, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("write to the program's standard input failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

void EmulatorProcess::CloseInput() {
    if (m_stdin >= 0) {
        ::close(m_stdin);
        m_stdin = -1;
    }
}

void EmulatorProcess::Drain(std::chrono::milliseconds wait) {
    if (m_stdout < 0) {
        return;
    }
    pollfd fd{m_stdout, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(wait.count())) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_stdout, buffer, sizeof buffer);
        if (n > 0) {
            m_output.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            ::close(m_stdout);
            m_stdout = -1;
        }
        return;
    }
}

bool EmulatorProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (m_output.find(text) != std::string::npos) {
            return true;
        }
        if (m_stdout < 0 || Left(end).count() == 0) {
            return false;
        }
        Drain(std::min(Left(end), std::chrono::milliseconds(100)));
    }
}

const std::string& EmulatorProcess::Output() {
    Drain(std::chrono::milliseconds(0));
    return m_output;
}

int EmulatorProcess::CountInOutput(const std::string& text) {
    const std::string& all = Output();
    int count = 0;
    for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
        ++count;
    }
    return count;
}

bool EmulatorProcess::IsRunning() {
    if (m_status || m_pid <= 0) {
        return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
        m_status = status;
        return false;
    }
    return done == 0;
}

std::optional<int> EmulatorProcess::WaitForExit(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (IsRunning()) {
        if (Left(end).count() == 0) {
            return std::nullopt;
        }
        // Keep reading so a full pipe never holds the program up on its way out.
        if (m_stdout >= 0) {
            Drain(std::chrono::milliseconds(20));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    Drain(std::chrono::milliseconds(0));
    if (!m_status || !WIFEXITED(*m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*m_status);
}

std::optional<int> EmulatorProcess::Stop(int signalNumber, std::chrono::milliseconds deadline) {
    if (IsRunning()) {
        ::kill(m_pid, signalNumber);
    }
    return WaitForExit(deadline);
}

long EmulatorProcess::CpuTicks() const {
    std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks; the fields after it are counted from its closing ')'.
    const std::size_t close = all.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(all.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // Field 3 (state) is the first after ')'; utime and stime are fields 14 and 15.
    for (int index = 3; index <= 15 && (fields >> field); ++index) {
        if (index == 14) {
            utime = std::stol(field);
        } else if (index == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

}  // namespace espa::test
