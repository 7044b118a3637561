#pragma once

#include <chrono>
#include <memory>

#include "fd_line.h"

namespace espa::test {

// One end of a TCP link on the loopback interface, played by the test (a central or a terminal
// server): plain sockets, so the test shares no code with the program's network line.
class TcpLink : public FdLine {
  public:
    explicit TcpLink(int fd) : FdLine(fd, true) {}

    // Dials 127.0.0.1:port until it answers or the deadline passes; null then.
    static std::unique_ptr<TcpLink> Connect(int port, std::chrono::milliseconds deadline);
    // Whether the far end closes the link within the deadline (what arrives before is dropped).
    bool WaitClosed(std::chrono::milliseconds deadline);
};

// A listening socket on 127.0.0.1, at the given port or at one the system picks.
class TcpListener {
  public:
    explicit TcpListener(int port = 0);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    int Port() const { return m_port; }
    // The next link dialled in, or null when none came within the deadline.
    std::unique_ptr<TcpLink> Accept(std::chrono::milliseconds deadline);

  private:
    int m_fd = -1;
    int m_port = 0;
};

// A loopback port nobody listens on right now, for a program that is to listen there.
int FreeLoopbackPort();

}  // namespace espa::test
