#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace espa::bench {

// The real espa-emulator program, started for a measurement. Its standard output goes to a file
// (read back by OutputHas), its standard input is a pipe that stays open and silent, as a
// terminal nobody types into would be.
class EmulatorRun {
  public:
    EmulatorRun(const std::string& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& outputFile,
                const std::vector<std::string>& extraEnvironment = {});
    ~EmulatorRun();
    EmulatorRun(const EmulatorRun&) = delete;
    EmulatorRun& operator=(const EmulatorRun&) = delete;

    pid_t Pid() const { return m_pid; }
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds deadline) const;

    // CPU time of all the program's threads so far, in seconds (from /proc/<pid>/task/*/schedstat).
    double CpuSeconds() const;
    // A "VmHWM:"-style line of /proc/<pid>/status, in KiB; -1 when not there.
    long StatusKb(const std::string& field) const;

    // SIGTERM, then the exit status (-1 when it did not end by itself within 5 s).
    int Stop();

  private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    std::filesystem::path m_output;
};

}  // namespace espa::bench
