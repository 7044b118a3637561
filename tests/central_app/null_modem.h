#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "pty_pair.h"

namespace espa::test {

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
                  m_b.Write(towardB.Hit(m_a.ReadFor(std::chrono::milliseconds(2))));
                  m_a.Write(towardA.Hit(m_b.ReadFor(std::chrono::milliseconds(2))));
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

}  // namespace espa::test
