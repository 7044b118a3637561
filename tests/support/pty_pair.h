#pragma once

#include <string>

#include "fd_line.h"

namespace espa::test {

// A pseudo-terminal pair standing in for a null-modem cable: the program under test opens the
// slave by its path, the test talks on the master. Both ends are raw, and a slave descriptor stays
// open so the master never reads EIO while the program has the slave closed.
class PtyPair : public FdLine {
  public:
    PtyPair();
    ~PtyPair() { Hangup(); }

    const std::string& SlavePath() const { return m_slavePath; }
    // The kept slave descriptor: it shares the line settings of whoever else has the slave open.
    int SlaveFd() const { return m_slave; }

    // The far end goes away: the master and the kept slave descriptor are closed.
    void Hangup();

  private:
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace espa::test
