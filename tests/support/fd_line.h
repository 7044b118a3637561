#pragma once

#include <chrono>
#include <string>

namespace espa::test {

// The test's own end of a line (a pty master, a socket), on a descriptor it owns.
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
    // Everything that arrives within `window`; for checking that nothing came.
    std::string ReadFor(std::chrono::milliseconds window) {
        return Read(std::string::npos, window);
    }
    // Whether a read found the line closed by the far end.
    bool Ended() const { return m_ended; }
    void Close();

  protected:
    int m_fd = -1;

  private:
    bool m_socket = false;
    bool m_ended = false;
};

}  // namespace espa::test
