#pragma once

#include <gtest/gtest.h>

#include "../line/conversation.h"
#include "capture/capture_writer.h"

namespace espa::test {

// Split blocks, 8-bit text, checks that are SOH, ETX and EOT, a wrong one, a NAK, a poll answered
// with a status; wall-clock stamps, as a front end writes them (Wireshark shows a date).
inline std::vector<LineChunk> CaptureChunks() {
    const std::string call = FrameBlock('1', {{'1', "1001"}, {'2', "Zimmer 3, Bett \xE9"}});
    const std::string request = BlockWithCheck('3', "1003", SOH);
    // clang-format off
    const Conversation said = {
        {C, 0, kSelect}, {P, 5, Ch(ACK)}, {C, 20, call.substr(0, 7)}, {C, 22, call.substr(7)},
        {P, 40, Ch(ACK)}, {C, 60, WithCheck(FrameBlock('1', {{'1', "1002"}}), 'x')}, {P, 80, Ch(NAK)},
        {C, 100, BlockWithCheck('1', "1004", ETX)}, {P, 120, Ch(ACK)},
        {C, 140, request.substr(0, request.size() - 1)}, {C, 141, request.substr(request.size() - 1)},
        {P, 160, Ch(ACK)}, {C, 180, Ch(EOT)}, {C, 300, kPoll}, {P, 310, "1" + Ch(ENQ)},
        {C, 320, Ch(ACK)}, {P, 330, BlockWithCheck('2', "1001", EOT)}, {C, 350, Ch(ACK)},
        {P, 360, Ch(EOT)}};
    // clang-format on
    std::vector<LineChunk> chunks;
    for (const Say& say : said) {
        chunks.push_back({say.side, 1'765'000'000'000'000 + Us(say.ms), say.bytes});
    }
    return chunks;
}

inline void WriteCapture(const std::string& file, const std::vector<LineChunk>& chunks) {
    CaptureWriter writer;
    ASSERT_EQ(writer.Open(file), std::nullopt);
    for (const LineChunk& chunk : chunks) {
        ASSERT_EQ(writer.Write(chunk), std::nullopt);
    }
    ASSERT_EQ(writer.Close(), std::nullopt);
}

}  // namespace espa::test
