#pragma once

#include <chrono>
#include <string>

namespace espa::test {

// A pseudo-terminal pair standing in for a null-modem cable: the program under test opens the
// slave by its path, the test talks on the master. Both ends are raw, and a slave descriptor stays
// open so the master never reads EIO while the program has the slave closed.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    // The kept slave descriptor: it shares the line settings of whoever else has the slave open.
    int SlaveFd() const { return m_slave; }

    // Writes all bytes to the master.
    void Write(const std::string& bytes);

    // Reads from the master until `count` bytes have arrived or the deadline passes; returns what
    // arrived.
    std::string Read(std::size_t count, std::chrono::milliseconds deadline);
    // Everything that arrives within `window`; for checking that nothing came.
    std::string ReadFor(std::chrono::milliseconds window);

    // The far end goes away: the master and the kept slave descriptor are closed.
    void Hangup();

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace espa::test
