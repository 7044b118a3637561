#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace espa::test {

// The real espa-emulator program, started with the given arguments; standard output is
// collected for the test, standard error goes where the test's goes.
class EmulatorProcess {
  public:
    explicit EmulatorProcess(const std::vector<std::string>& arguments);
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // Waits until standard output holds `text` (anywhere in what has been printed so far).
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds deadline);
    // Everything printed so far.
    const std::string& Output();
    // How often `text` stands in what has been printed so far.
    int CountInOutput(const std::string& text);

    // Sends the signal and waits for the end; the exit status, or nothing when the program did
    // not end in time or ended by a signal.
    std::optional<int> Stop(int signalNumber, std::chrono::milliseconds deadline);
    // Waits for the program to end on its own.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline);
    bool IsRunning();

    // User plus system CPU time used so far, in clock ticks, read from /proc.
    long CpuTicks() const;

  private:
    void Drain(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_output;
    std::optional<int> m_status;
};

// Path of the program under test.
std::string EmulatorPath();

}  // namespace espa::test
