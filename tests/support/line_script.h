#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator_program.h"
#include "espa_frames.h"
#include "fd_line.h"

namespace espa::test {

// One turn of a central's script: what it sends and the answer it must get back.
struct Turn {
    const char* what;
    std::string send;
    std::string answer;
};

// Plays the script on the test's end of a pty or a TCP link.
inline void Play(FdLine& line, const std::vector<Turn>& script) {
    for (const Turn& turn : script) {
        line.Write(turn.send);
        EXPECT_EQ(frames::Visible(line.Read(turn.answer.size(), kDeadline)),
                  frames::Visible(turn.answer))
            << turn.what;
    }
}

// A call and, at the next poll, its status transfer with `code`.
inline std::vector<Turn> CallAndStatus(const std::string& callData, const std::string& code) {
    using namespace frames;
    return {{"select", Select(), Ch(ACK)},
            {"call", Block('1', callData), Ch(ACK)},
            {"poll", Poll(), std::string("1") + ENQ},
            {"take the select", Ch(ACK), Block('2', callData + RS + Field('7', code))},
            {"acknowledge the transfer", Ch(ACK), Ch(EOT)}};
}

}  // namespace espa::test
