#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace espa::test {

using namespace std::chrono_literals;

// Long enough for a loaded machine; a passing run ends far sooner.
inline constexpr auto kDeadline = 20s;

inline std::string CentralPath() {
    return ESPA_CENTRAL_PATH;
}

// A real program started as a user would start it; its standard output and standard error go to
// files of its own, read back whenever asked for.
class ProgramProcess {
  public:
    ProgramProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Waits until standard output holds `text`; everything printed so far.
    std::string WaitForOutput(const std::string& text, std::chrono::milliseconds deadline);
    // Waits for the program to end; its exit status, or nothing when it did not end in time or
    // was ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline);
    std::optional<int> Stop(int signalNumber, std::chrono::milliseconds deadline);

    std::string Stdout() const { return ReadFile(m_dir.path() / "out"); }
    std::string Stderr() const { return ReadFile(m_dir.path() / "err"); }

  private:
    bool IsRunning();

    TempDir m_dir;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

struct ProgramResult {
    std::optional<int> exitCode;
    std::string out;
    std::string err;
};

// Starts the program and waits for it to end by itself.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// The five emulation modes, as the settings file numbers them.
enum class Mode { Philips = 0, AscomNira = 1, MediCall = 2, DataCall = 3, CommTechWireLess = 4 };

// The real espa-emulator, headless, on Com1 = `device`, with its own application folder whose
// espa.set asks for `mode` at 9600,N,8,1 and the simple screen log. Ready when constructed.
class EmulatorOnLine {
  public:
    EmulatorOnLine(Mode mode, const std::string& status, const std::string& device);
    ~EmulatorOnLine();

    // Waits until `text` has been printed; everything printed so far.
    std::string OutputWith(const std::string& text) {
        return m_process->WaitForOutput(text, kDeadline);
    }

  private:
    TempDir m_dir;
    std::optional<ProgramProcess> m_process;
};

std::vector<std::string> Lines(const std::string& text);

int Count(const std::string& text, const std::string& part);

}  // namespace espa::test
