#include "pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace espa::test {
namespace {

void MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        throw std::runtime_error("tcgetattr failed");
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        throw std::runtime_error("tcsetattr failed");
    }
}

}  // namespace

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    m_slavePath = name;
    // A program started by the test must not inherit the far end, or closing it here would not
    // hang up the line.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    MakeRaw(m_master);
    MakeRaw(m_slave);
}

PtyPair::~PtyPair() {
    Hangup();
}

void PtyPair::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("write to pty master failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPair::Read(std::size_t count, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + deadline;
    std::string out;
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[256];
        const std::size_t wanted = std::min(sizeof buffer, count - out.size());
        const ssize_t n = ::read(m_master, buffer, wanted);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            break;
        }
    }
    return out;
}

std::string PtyPair::ReadFor(std::chrono::milliseconds window) {
    return Read(static_cast<std::size_t>(-1), window);
}

void PtyPair::Hangup() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

}  // namespace espa::test
