#pragma once

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "emulator_program.h"
#include "line_ends.h"

namespace espa::test {

using namespace std::chrono_literals;

inline const std::string kCentral = ESPA_CENTRAL_PATH;
// The five makes, as espa.set numbers them.
enum class Mode { Philips, AscomNira, MediCall, DataCall, CommTechWireLess };

// espa-report found on PATH, as an installed one is when it does not stand beside the program.
inline void PutReportProgramOnPath() {
    const std::string path = std::filesystem::path(ESPA_REPORT_PATH).parent_path().string();
    ::setenv("PATH", (path + ":" + std::getenv("PATH")).c_str(), 1);
}

// Two programs cabled with a null-modem: each opens its own pty, a thread copies bytes both ways
// between the masters, reading each side for a few milliseconds in turn.
class NullModem {
  public:
    NullModem()
        : m_relay([this] {
              while (!m_stop) {
                  m_b.Write(m_a.ReadFor(2ms));
                  m_a.Write(m_b.ReadFor(2ms));
              }
          }) {}
    ~NullModem() {
        m_stop = true;
        m_relay.join();
    }
    const std::string& PathA() const { return m_a.SlavePath(); }
    const std::string& PathB() const { return m_b.SlavePath(); }

  private:
    PtyPair m_a, m_b;
    std::atomic<bool> m_stop{false};
    std::thread m_relay;  // last: starts once the ptys are open
};

}  // namespace espa::test
