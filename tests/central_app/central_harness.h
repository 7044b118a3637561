#pragma once

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"
#include "emulator_program.h"

namespace espa::test {

using namespace std::chrono_literals;

inline std::string CentralPath() {
    return ESPA_CENTRAL_PATH;
}

inline ProgramResult RunProgram(const std::string& program,
                                const std::vector<std::string>& arguments) {
    return RunToEnd(program, arguments, kDeadline);
}

// A running program whose wait hands back everything printed so far.
class ProgramProcess : public ChildProcess {
  public:
    using ChildProcess::ChildProcess;
    std::string WaitForOutput(const std::string& text, std::chrono::milliseconds deadline) {
        ChildProcess::WaitForOutput(text, deadline);
        return Stdout();
    }
};

// The five makes, as espa.set numbers them.
enum class Mode { Philips = 0, AscomNira = 1, MediCall = 2, DataCall = 3, CommTechWireLess = 4 };

// The emulator on Com1 = `device` as `mode` with the operator's `status`, its events on standard
// output (level 1); ready once constructed.
class EmulatorOnLine {
  public:
    EmulatorOnLine(Mode mode, const std::string& status, const std::string& device)
        : m_run({"--port", "Com1=" + device, "--status", status},
                {.emulatie = static_cast<int>(mode)}) {
        if (!m_run.process.WaitForOutput(kOpenedLine, kDeadline)) {
            throw std::runtime_error("espa-emulator did not open its port: " +
                                     m_run.process.Stdout() + m_run.process.Stderr());
        }
    }

    // Everything printed once `text` is among it (or the deadline passed).
    std::string OutputWith(const std::string& text) {
        m_run.process.WaitForOutput(text, kDeadline);
        return m_run.process.Stdout();
    }

  private:
    EmulatorRun m_run;
};

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace espa::test
