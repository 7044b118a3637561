#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace espa::test {

// A real program started as a user would start it, standard output and error collected for the
// test. Standard input is /dev/null, or a pipe the test writes to when `inputPipe` is set. Every
// wait polls the program's pipes with a deadline; none sleeps for a fixed time.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 bool inputPipe = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t Pid() const { return m_pid; }

    // Until standard output holds `text` `count` times.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds deadline, int count = 1);
    // What was printed so far.
    const std::string& Stdout();
    const std::string& Stderr();
    int CountInOutput(const std::string& text) { return CountOf(Stdout(), text); }

    // The exit status, or nothing when the program did not end in time or ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline);
    std::optional<int> Stop(int signalNumber, std::chrono::milliseconds deadline);
    bool IsRunning();

    // User plus system CPU time used so far, in clock ticks.
    long CpuTicks() const;
    void WriteInput(const std::string& text);
    static int CountOf(const std::string& text, const std::string& part);

  private:
    void Drain(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_stdin = -1, m_stdout = -1, m_stderr = -1;
    std::string m_out, m_err;
    std::optional<int> m_status;
};

struct ProgramResult {
    std::optional<int> exitCode;
    std::string out;
    std::string err;
};

// Starts the program and waits for it to end by itself.
ProgramResult RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                       std::chrono::milliseconds deadline);

}  // namespace espa::test
