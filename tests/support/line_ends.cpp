#include "line_ends.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace espa::test {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket bound to 127.0.0.1 at a port the system picks, which goes to `bound`.
int BoundSocket(int& bound) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot bind on the loopback interface");
    }
    bound = ntohs(address.sin_port);
    return fd;
}

}  // namespace

void FdLine::Write(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        // A socket the far end has closed must fail the write, not raise SIGPIPE in the test.
        const ssize_t n = m_socket
                              ? ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                              : ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0 && errno != EINTR) {
            throw std::runtime_error("write to the test's end of the line failed");
        }
        done += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
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

// Closing -1 fails harmlessly.
void FdLine::Close() {
    ::close(std::exchange(m_fd, -1));
}

PtyPair::PtyPair() : FdLine(-1, false) {
    char name[256] = {};
    if (::openpty(&m_fd, &m_slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    m_slavePath = name;
    for (const int fd : {m_fd, m_slave}) {
        // A program the test starts must not inherit the far end, or closing it here would not
        // hang up the line.
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
    ::close(std::exchange(m_slave, -1));
}

std::unique_ptr<TcpLink> TcpLink::Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return std::make_unique<TcpLink>(fd);
}

TcpListener::TcpListener() {
    m_fd = BoundSocket(m_port);
    if (::listen(m_fd, 4) != 0) {
        ::close(m_fd);
        throw std::runtime_error("cannot listen on the loopback interface");
    }
}

TcpListener::~TcpListener() {
    ::close(m_fd);
}

std::unique_ptr<TcpLink> TcpListener::Accept(std::chrono::milliseconds deadline) {
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(deadline.count())) <= 0) {
        return nullptr;
    }
    const int link = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    return link < 0 ? nullptr : std::make_unique<TcpLink>(link);
}

int FreeLoopbackPort() {
    int port = 0;
    ::close(BoundSocket(port));
    return port;
}

}  // namespace espa::test
