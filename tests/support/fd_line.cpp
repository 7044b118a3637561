#include "fd_line.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace espa::test {

void FdLine::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // A socket the far end has closed must fail the write, not raise SIGPIPE in the test.
        const ssize_t n = m_socket
                              ? ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                              : ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("write to the test's end of the line failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string FdLine::Read(std::size_t count, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + deadline;
    std::string out;
    for (bool first = true; out.size() < count && m_fd >= 0; first = false) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0 && !first) {
            break;
        }
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - out.size()));
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            m_ended = true;  // closed, or a pty whose far end has gone (EIO)
            break;
        }
    }
    return out;
}

void FdLine::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace espa::test
