#pragma once

#include <chrono>
#include <memory>
#include <string>

// The test's own ends of a line, on plain descriptors so it shares no code with the program's.
namespace espa::test {

class FdLine {
  public:
    FdLine(int fd, bool socket) : m_fd(fd), m_socket(socket) {}
    ~FdLine() { Close(); }
    FdLine(const FdLine&) = delete;
    FdLine& operator=(const FdLine&) = delete;

    void Write(const std::string& bytes);
    // Until `count` bytes have arrived, the far end closed or the deadline passed; what arrived.
    // The line is looked at once even with no time to wait.
    std::string Read(std::size_t count, std::chrono::milliseconds deadline);
    std::string ReadFor(std::chrono::milliseconds window) {
        return Read(std::string::npos, window);
    }
    bool Ended() const { return m_ended; }  // a read found the line closed by the far end
    void Close();

  protected:
    int m_fd = -1;

  private:
    bool m_socket = false;
    bool m_ended = false;
};

// A raw pty pair for a null-modem cable: the program opens the slave, the test talks on the master.
// A slave descriptor stays open so the master never reads EIO while the program has it closed.
class PtyPair : public FdLine {
  public:
    PtyPair();
    ~PtyPair() { Hangup(); }
    const std::string& SlavePath() const { return m_slavePath; }
    int SlaveFd() const { return m_slave; }
    void Hangup();  // the far end goes away

  private:
    int m_slave = -1;
    std::string m_slavePath;
};

// One end of a TCP link on the loopback interface (a central or a terminal server).
class TcpLink : public FdLine {
  public:
    explicit TcpLink(int fd) : FdLine(fd, true) {}
    // Dials 127.0.0.1:port; null when nobody listens there.
    static std::unique_ptr<TcpLink> Connect(int port);
    // Whether the far end closes the link within the deadline (what arrives before is dropped).
    bool WaitClosed(std::chrono::milliseconds deadline) { return ReadFor(deadline), Ended(); }
};

// A listening socket on 127.0.0.1, at a port the system picks.
class TcpListener {
  public:
    TcpListener();
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
