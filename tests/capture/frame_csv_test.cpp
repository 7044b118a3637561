#include "capture/frame_csv.h"

#include <gtest/gtest.h>

#include "../line/conversation.h"

namespace espa::test {
namespace {

TEST(FrameCsv, GivesAHeaderAndOneRowPerFrameWithTheTextInUtf8AndQuotedWhereNeeded) {
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
    const std::string call = FrameBlock('1', {{'1', "1001"}, {'2', "Bett \xE9, \"3\""}});
    std::string csv = FrameCsvStart();
    for (const Frame& frame : RunLine({{C, 0, kSelect}, {P, 5, Ch(ACK)}, {C, 20, call}}).frames) {
        csv += FrameCsvRow(frame, Emulation::Philips);
    }
    EXPECT_EQ(csv,
              "\xEF\xBB\xBFtime,direction,kind,content,check,gap_ms,raw_hex\r\n"
              "00:00:00.000,C->P,select,select 12,,,31 05 32 05\r\n"
              "00:00:00.005,P->C,ack,ACK,,5,06\r\n"
              "00:00:00.020,C->P,block,\"call 1001 \"\"Bett \xC3\xA9, \"\"3\"\"\"\", "
              "check right\",right,15," +
                  HexBytes(call) + "\r\n");
}

}  // namespace
}  // namespace espa::test
