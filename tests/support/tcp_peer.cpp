#include "tcp_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace espa::test {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket bound to 127.0.0.1:port (0: one the system picks); that port goes to `bound`.
int BoundSocket(int port, int& bound) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(port);
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

std::unique_ptr<TcpLink> TcpLink::Connect(int port, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    const sockaddr_in address = Loopback(port);
    for (;;) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return std::make_unique<TcpLink>(fd);
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() >= end) {
            return nullptr;
        }
        // Nothing to poll for until the program listens: it is still starting.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool TcpLink::WaitClosed(std::chrono::milliseconds deadline) {
    Read(std::string::npos, deadline);
    return Ended();
}

TcpListener::TcpListener(int port) {
    m_fd = BoundSocket(port, m_port);
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
    ::close(BoundSocket(0, port));
    return port;
}

}  // namespace espa::test
