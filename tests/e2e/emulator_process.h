#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace espa::test {

// Where the program's standard input and error go, when not where the test's go.
struct Redirects {
    bool inputPipe = false;  // standard input from a pipe: WriteInput, CloseInput
    std::string inputFile;   // else standard input from this file ("/dev/null"), when given
    std::string errorFile;   // standard error into this file, when given
};

// The real espa-emulator program, started with the given arguments; standard output is
// collected for the test, standard input and error are the test's unless redirected.
class EmulatorProcess {
  public:
    explicit EmulatorProcess(const std::vector<std::string>& arguments,
                             const Redirects& redirects = {});
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

    // With Redirects::inputPipe: writes to the program's standard input; closes it (end of input).
    void WriteInput(const std::string& text);
    void CloseInput();

  private:
    void Drain(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_stdout = -1;
    int m_stdin = -1;
    std::string m_output;
    std::optional<int> m_status;
};

// Path of the program under test.
std::string EmulatorPath();

}  // namespace espa::test
