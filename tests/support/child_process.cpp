#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "temp_dir.h"

extern char** environ;

namespace espa::test {
namespace {

using Clock = std::chrono::steady_clock;

void CloseAll(std::initializer_list<int> fds) {
    for (const int fd : fds) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

// Appends what the descriptor has now; closes it at its end.
void ReadAvailable(int& fd, std::string& into) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            ::close(fd);
            fd = -1;
        }
        return;
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           bool inputPipe) {
    int out[2], err[2], in[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 ||
        (inputPipe && ::pipe2(in, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inputPipe) {
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    CloseAll({out[1], err[1], in[0]});
    m_stdout = out[0];
    m_stderr = err[0];
    m_stdin = in[1];
    if (rc != 0) {
        CloseAll({m_stdout, m_stderr, m_stdin});
        throw std::runtime_error("cannot start " + program);
    }
    for (const int fd : {m_stdout, m_stderr}) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
}

ChildProcess::~ChildProcess() {
    if (IsRunning()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    CloseAll({m_stdin, m_stdout, m_stderr});
}

void ChildProcess::Drain(std::chrono::milliseconds wait) {
    pollfd fds[2] = {{m_stdout, POLLIN, 0}, {m_stderr, POLLIN, 0}};
    if (m_stdout < 0 && m_stderr < 0) {
        // Nothing left to read: the program is on its way out.
        std::this_thread::sleep_for(std::min(wait, std::chrono::milliseconds(5)));
        return;
    }
    if (::poll(fds, 2, static_cast<int>(wait.count())) <= 0) {
        return;
    }
    if (m_stdout >= 0) {
        ReadAvailable(m_stdout, m_out);
    }
    if (m_stderr >= 0) {
        ReadAvailable(m_stderr, m_err);
    }
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds deadline,
                                 int count) {
    const auto end = Clock::now() + deadline;
    while (CountOf(m_out, text) < count) {
        if (m_stdout < 0 || Clock::now() >= end) {
            return false;
        }
        Drain(std::chrono::milliseconds(20));
    }
    return true;
}

const std::string& ChildProcess::Stdout() {
    Drain(std::chrono::milliseconds(0));
    return m_out;
}

const std::string& ChildProcess::Stderr() {
    Drain(std::chrono::milliseconds(0));
    return m_err;
}

bool ChildProcess::IsRunning() {
    if (m_status || m_pid <= 0) {
        return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
        m_status = status;
    }
    return done == 0;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (IsRunning()) {
        if (Clock::now() >= end) {
            return std::nullopt;
        }
        // Reading on keeps a full pipe from holding the program up on its way out.
        Drain(std::chrono::milliseconds(20));
    }
    Drain(std::chrono::milliseconds(0));
    if (!m_status || !WIFEXITED(*m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*m_status);
}

std::optional<int> ChildProcess::Stop(int signalNumber, std::chrono::milliseconds deadline) {
    if (IsRunning()) {
        ::kill(m_pid, signalNumber);
    }
    return WaitForExit(deadline);
}

long ChildProcess::CpuTicks() const {
    // After the ')' that closes the command name (which may hold blanks), utime and stime are the
    // 12th and 13th fields.
    const std::string stat = ReadFile("/proc/" + std::to_string(m_pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string skipped;
    for (int field = 1; field <= 11; ++field) {
        fields >> skipped;
    }
    long utime = -1, stime = 0;
    fields >> utime >> stime;
    return utime < 0 ? -1 : utime + stime;
}

void ChildProcess::WriteInput(const std::string& text) {
    // A few short lines: a pipe takes them whole.
    if (::write(m_stdin, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("write to the program's standard input failed");
    }
}

int ChildProcess::CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

ProgramResult RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                       std::chrono::milliseconds deadline) {
    ChildProcess process(program, arguments);
    const std::optional<int> exitCode = process.WaitForExit(deadline);
    return {exitCode, process.Stdout(), process.Stderr()};
}

}  // namespace espa::test
