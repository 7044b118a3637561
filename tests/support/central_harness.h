#pragma once

#include <atomic>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "emulator_program.h"
#include "pty_pair.h"

namespace espa::test {

using namespace std::chrono_literals;

inline const std::string kCentral = ESPA_CENTRAL_PATH;

// The five makes, as espa.set numbers them.
enum class Mode { Philips = 0, AscomNira = 1, MediCall = 2, DataCall = 3, CommTechWireLess = 4 };

// The emulator on Com1 = `device` as `mode` with the operator's `status` and `more` options, its
// events on standard output (level 1); ready once constructed.
class EmulatorOnLine {
  public:
    EmulatorOnLine(Mode mode, const std::string& status, const std::string& device,
                   std::vector<std::string> more = {})
        : m_run(Arguments(device, status, std::move(more)), {.emulatie = static_cast<int>(mode)}) {
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
    static std::vector<std::string> Arguments(const std::string& device, const std::string& status,
                                              std::vector<std::string> more) {
        more.insert(more.begin(), {"--port", "Com1=" + device, "--status", status});
        return more;
    }

    EmulatorRun m_run;
};

// Replaces the first `count` bytes `from` that cross in one direction with `to`: a line hit.
struct LineFault {
    char from = 0;
    char to = 0;
    int count = 0;

    std::string Hit(std::string bytes) {
        for (char& c : bytes) {
            if (count > 0 && c == from) {
                c = to;
                --count;
            }
        }
        return bytes;
    }
};

// Two programs cabled with a null-modem: each opens its own pty, a thread copies bytes both ways
// between the masters, applying the faults. Each side is read for a short window in turn: a few
// milliseconds of delay, far below the paging system's 25 ms steps.
class NullModem {
  public:
    explicit NullModem(LineFault towardB = {}, LineFault towardA = {})
        : m_relay([this, towardB, towardA]() mutable {
              while (!m_stop) {
                  m_b.Write(towardB.Hit(m_a.ReadFor(2ms)));
                  m_a.Write(towardA.Hit(m_b.ReadFor(2ms)));
              }
          }) {}
    ~NullModem() {
        m_stop = true;
        m_relay.join();
    }
    const std::string& PathA() const { return m_a.SlavePath(); }
    const std::string& PathB() const { return m_b.SlavePath(); }

  private:
    PtyPair m_a;
    PtyPair m_b;
    std::atomic<bool> m_stop{false};
    std::thread m_relay;  // last: starts once the ptys are open
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
