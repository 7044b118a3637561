#include "emulator_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace espa::bench {

EmulatorRun::EmulatorRun(const std::string& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& outputFile,
                         const std::vector<std::string>& extraEnvironment)
    : m_output(outputFile) {
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env(extraEnvironment);
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    const int rc =
        ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    if (rc != 0) {
        ::close(input[1]);
        throw std::runtime_error("cannot start " + program);
    }
    m_stdin = input[1];
}

EmulatorRun::~EmulatorRun() {
    if (m_pid > 0) {
        Stop();
    }
    if (m_stdin >= 0) {
        ::close(m_stdin);
    }
}

bool EmulatorRun::WaitForOutput(const std::string& text, std::chrono::milliseconds deadline) const {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        std::ifstream in(m_output, std::ios::binary);
        const std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (all.find(text) != std::string::npos) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

double EmulatorRun::CpuSeconds() const {
    const std::filesystem::path tasks = "/proc/" + std::to_string(m_pid) + "/task";
    std::error_code ec;
    double total = 0;
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long onCpuNs = 0;
        if (in >> onCpuNs) {
            total += static_cast<double>(onCpuNs) / 1e9;
        }
    }
    return total;
}

long EmulatorRun::StatusKb(const std::string& field) const {
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            long kb = -1;
            value >> kb;
            return kb;
        }
    }
    return -1;
}

int EmulatorRun::Stop() {
    if (m_pid <= 0) {
        return -1;
    }
    ::kill(m_pid, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace espa::bench
