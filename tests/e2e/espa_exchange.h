#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "test_central.h"

namespace espa::test {

// espa.set for the runs of the network, console and demo tests: Com1, 9600,N,8,1, no handshake.
inline std::string EspaSetText(int logfile, int emulatie = 0) {
    auto line = [](const char* key, int value) { return key + std::to_string(value) + "\r\n"; };
    return line("0        Compoort ->", 0) + line("10       Emulatie ->", emulatie) +
           line("11       BaudRate ->", 4) + line("12       Parity ->", 0) +
           line("13       Bits ->", 1) + line("14       StopBits ->", 0) +
           line("15       HandShake ->", 0) + line("20       Logfile ->", logfile);
}

// The central's side of one call and one status transfer, on any line the test holds (a pty
// pair or a TCP link): anything with Write(bytes) and Read(count, deadline).
template <class Line>
class CentralExchange {
  public:
    explicit CentralExchange(Line& line, std::chrono::milliseconds deadline)
        : m_line(line), m_deadline(deadline) {}

    // Select, then the call block; both must be acknowledged.
    void SendCall(const std::string& data) {
        using namespace central;
        m_line.Write(Select());
        EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK))) << "select";
        m_line.Write(Block('1', data));
        EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK))) << "call block";
    }

    // Select, then a status request; the emulator's answer (ACK or NAK).
    std::string SendStatusRequest(const std::string& data) {
        using namespace central;
        m_line.Write(Select());
        EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, ACK))) << "select";
        m_line.Write(Block('3', data));
        return Answer(1);
    }

    // Poll, accept the emulator's select, acknowledge its block; the block. EOT must end it.
    std::string PollForStatusTransfer(std::size_t blockLength) {
        using namespace central;
        m_line.Write(Poll());
        EXPECT_EQ(Visible(Answer(2)), Visible(std::string("1") + ENQ)) << "select for status";
        m_line.Write(std::string(1, ACK));
        const std::string block = Answer(blockLength);
        m_line.Write(std::string(1, ACK));
        EXPECT_EQ(Visible(Answer(1)), Visible(std::string(1, EOT))) << "end of status transfer";
        return block;
    }

    std::string Answer(std::size_t count) { return m_line.Read(count, m_deadline); }

  private:
    Line& m_line;
    std::chrono::milliseconds m_deadline;
};

}  // namespace espa::test
