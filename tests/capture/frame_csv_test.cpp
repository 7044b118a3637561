#include "capture/frame_csv.h"

#include <gtest/gtest.h>

#include "../line/conversation.h"

namespace espa::test {
namespace {

TEST(FrameCsv, QuotesAFieldOnlyWhenItHoldsACommaAQuoteOrALineBreak) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"call 1001", "call 1001"},
        {"a, b", "\"a, b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CsvField(c.text), c.field);
    }
}

TEST(FrameCsv, GivesAHeaderAndOneRowPerFrameWithTheTextInUtf8) {
    const std::string call = FrameBlock('1', {{'1', "1001"}, {'2', "Bett \xE9, \"3\""}});
    const LineResult line = RunLine({{C, 0, kSelect}, {P, 5, Ch(ACK)}, {C, 20, call}});
    ASSERT_EQ(line.frames.size(), 3u);

    std::string csv = FrameCsvStart();
    for (const Frame& frame : line.frames) {
        csv += FrameCsvRow(frame, Emulation::Philips);
    }
    const std::string header = "\xEF\xBB\xBFtime,direction,kind,content,check,gap_ms,raw_hex\r\n";
    const std::string select = "00:00:00.000,C->P,select,select 12,,," + HexBytes(kSelect) + "\r\n";
    const std::string ack = "00:00:00.005,P->C,ack,ACK,,5,06\r\n";
    const std::string block =
        "00:00:00.020,C->P,block,\"call 1001 \"\"Bett \xC3\xA9, \"\"3\"\"\"\", "
        "check right\",right,15," +
        HexBytes(call) + "\r\n";
    EXPECT_EQ(csv, header + select + ack + block);
}

}  // namespace
}  // namespace espa::test
