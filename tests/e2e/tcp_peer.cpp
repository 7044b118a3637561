#include "tcp_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

namespace espa::test {
namespace {

using Clock = std::chrono::steady_clock;

int LeftMs(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int PortOf(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("getsockname failed");
    }
    return ntohs(address.sin_port);
}

int NewSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    return fd;
}

}  // namespace

TcpLink::~TcpLink() {
    Close();
}

std::unique_ptr<TcpLink> TcpLink::Connect(int port, std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        const int fd = NewSocket();
        const sockaddr_in address = Loopback(port);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return std::make_unique<TcpLink>(fd);
        }
        ::close(fd);
        if (LeftMs(end) == 0) {
            return nullptr;
        }
        // The program may not be listening yet: it is still starting.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TcpLink::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("send failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string TcpLink::Read(std::size_t count, std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    std::string out;
    // Looked at once even with no time to wait.
    for (bool first = true; out.size() < count && m_fd >= 0; first = false) {
        const int left = LeftMs(end);
        if (left == 0 && !first) {
            break;
        }
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, left) <= 0) {
            continue;
        }
        char buffer[256];
        const std::size_t wanted = std::min(sizeof buffer, count - out.size());
        const ssize_t n = ::recv(m_fd, buffer, wanted, 0);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            break;
        }
    }
    return out;
}

bool TcpLink::WaitClosed(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (bool first = true;; first = false) {
        const int left = LeftMs(end);
        if (left == 0 && !first) {
            return false;
        }
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, left) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno == ECONNRESET)) {
            return true;
        }
    }
}

void TcpLink::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

TcpListener::TcpListener(int port) {
    m_fd = NewSocket();
    const int on = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = Loopback(port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_fd, 4) != 0) {
        ::close(m_fd);
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    m_port = PortOf(m_fd);
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
    if (link < 0) {
        return nullptr;
    }
    return std::make_unique<TcpLink>(link);
}

int FreeLoopbackPort() {
    const int fd = NewSocket();
    const sockaddr_in address = Loopback(0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot bind on the loopback interface");
    }
    const int port = PortOf(fd);
    ::close(fd);
    return port;
}

}  // namespace espa::test
