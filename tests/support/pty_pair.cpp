#include "pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace espa::test {

PtyPair::PtyPair() : FdLine(-1, false) {
    char name[256] = {};
    if (::openpty(&m_fd, &m_slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    m_slavePath = name;
    for (const int fd : {m_fd, m_slave}) {
        // A program started by the test must not inherit the far end, or closing it here would
        // not hang up the line.
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            throw std::runtime_error("cannot make the pty raw");
        }
    }
}

void PtyPair::Hangup() {
    Close();
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

}  // namespace espa::test
