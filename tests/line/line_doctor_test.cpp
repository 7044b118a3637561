#include <gtest/gtest.h>

#include <bitset>

#include "calls/call_table.h"
#include "conversation.h"
#include "core/control_chars.h"
#include "line/frame_text.h"

namespace espa::test {
namespace {

const std::string kCall = Block('1', {{'1', "1234"}});

std::string Masked(const std::string& block, int mask) {
    return WithCheck(block, static_cast<char>(block.back() ^ mask));
}

std::string Summed(const std::string& block) {
    unsigned char sum = 0;
    for (std::size_t i = 1; i + 1 < block.size(); ++i) {
        sum = static_cast<unsigned char>(sum + block[i]);
    }
    return WithCheck(block, static_cast<char>(sum));
}

// The bytes as a 7-bit sender with odd parity puts them on the line.
std::string OddParity(std::string bytes) {
    for (char& c : bytes) {
        c = static_cast<char>(std::bitset<7>(c).count() % 2 ? c : c | 0x80);
    }
    return bytes;
}

// Two different calls, each checked by the same wrong rule.
Conversation TwoBadCalls(std::string (*bad)(const std::string&)) {
    return {{C, 0, bad(Block('1', {{'1', "1"}, {'2', "Ward 3"}}))},
            {C, 1000, bad(Block('1', {{'1', "22"}}))}};
}

Conversation Accepted(double ms, const std::string& block) {
    return {{C, ms, kSelect},
            {P, ms + 10, Ch(ACK)},
            {C, ms + 30, block},
            {P, ms + 60, Ch(ACK)},
            {C, ms + 70, Ch(EOT)}};
}

Conversation Refused(const std::string& request) {
    return {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, request}, {P, 60, Ch(NAK)}};
}

const CallTable& StoredCall() {
    static const CallTable table = [] {
        CallTable t;
        t[0].Adres = "1234";
        t[0].Info = "Ward 3";
        t[0].ReturnedStatus = kStatusNew;
        return t;
    }();
    return table;
}

struct DoctorCase {
    const char* name;
    Conversation conversation;
    std::vector<HintCause> causes;
    std::string says = {};  // part of the hint's text
    std::string evidence = {};
    PortNotes notes = {};
    double quietMs = 10000;
    Emulation make = Emulation::Philips;
};

using H = HintCause;

// clang-format off
const DoctorCase kCases[] = {
    {"SOH in the check", TwoBadCalls([](const std::string& b) { return Masked(b, 0x01); }),
     {H::CheckRule}, "with SOH included:"},
    {"ETX out of the check", TwoBadCalls([](const std::string& b) { return Masked(b, 0x03); }),
     {H::CheckRule}, "ETX left out or SOH included and STX left out (these give the same value)"},
    {"STX out of the check", TwoBadCalls([](const std::string& b) { return Masked(b, 0x02); }),
     {H::CheckRule}, "with STX left out:"},
    {"a sum for a check", TwoBadCalls(Summed), {H::CheckRule}, "a sum instead of exclusive-or"},
    {"seven-bit check", {{C, 0, Masked(BlockWithCheck('1', "1", '\xC1'), 0x80)},
                         {C, 100, Masked(BlockWithCheck('1', "2", '\xD2'), 0x80)}},
     {H::CheckRule}, "seven bits only"},
    {"one bad block, sent twice", {{C, 0, Masked(kCall, 1)}, {C, 100, Masked(kCall, 1)}}, {}},
    {"7 bits even parity read as 8", {{C, 0, "\xB1\x05\xB2\x05"}, {C, 4000, "\xB1\x05\xB2\x05"}},
     {H::LineSettings},
     "choose 7 bits, even parity in the settings dialog (now 8 bits, parity N, 1 stop bit)",
     "B1 05 B2 05"},
    {"eighth bits on a 7-bit line", {{C, 0, "\xB1\x05\xB2\x05"}, {C, 4000, "\xB1\x05\xB2\x05"}},
     {}, "", "", {.settings = {.parity = LineSettings::Parity::Even, .dataBits = 7}}},
    {"7 bits odd parity read as 8", {{C, 0, OddParity(kCall)}, {C, 4000, OddParity(kCall)}},
     {H::LineSettings}, "choose 7 bits, odd parity"},
    {"7 bits two stop bits read as 8", {{C, 0, "\xB1\x85\xB2\x85"}, {C, 4000, "\xB1\x85\xB2\x85"}},
     {H::LineSettings}, "choose 7 bits, 2 stop bits"},
    {"silent line", {}, {H::SilentLine}, "cable is crossed", "", {.openedMs = 0}, 31000},
    {"a line that is heard", {{C, 1000, "x"}}, {}, "", "", {.openedMs = 0}, 31000},
    {"echo", {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 12, Ch(ACK)}, {C, 30, kCall}, {P, 60, Ch(ACK)},
              {C, 62, Ch(ACK)}, {C, 70, Ch(EOT)}, {C, 200, kPoll}, {P, 225, Ch(EOT)},
              {C, 227, Ch(EOT)}},
     {H::Echo}, "loopback plug", "06"},
    {"one ACK that looks like an echo",
     {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 12, Ch(ACK)}, {C, 30, kCall}, {P, 60, Ch(ACK)}}, {}},
    {"addresses swapped",
     {{C, 0, kPoll + "1" + ENQ}, {P, 20, Ch(EOT)}, {C, 5000, kPoll + "1" + ENQ}},
     {H::OtherAddress}, "2 ENQ 1 ENQ", "32 05 31 05"},
    {"select never completed", {{C, 0, {'1', ENQ}}, {C, 5000, {'1', ENQ}}},
     {H::OtherAddress}, "stops after 1 ENQ"},
    {"two cut selects a minute apart", {{C, 0, {'1', ENQ}}, {C, 65000, {'1', ENQ}}}, {}},
    {"CR LF after the check", Accepted(0, kCall + "\r\n") + Accepted(1000, kCall + "\r\n"),
     {H::BytesAfterCheck}, "CR LF", "03 " + HexBytes(kCall.substr(kCall.size() - 1)) + " 0D 0A"},
    {"telnet on TCP", {{C, 0, "\xFF\xFD\x18\xFF\xFB\x01"}}, {H::TelnetNegotiation}, "raw TCP", "",
     {.openedMs = 0, .kind = PortKind::Tcp}},
    {"telnet bytes on a serial line", {{C, 0, "\xFF\xFD\x18\xFF\xFB\x01"}}, {}},
    {"request differing from the call", Refused(Block('3', {{'1', "1234"}, {'2', "Ward 4"}})),
     {H::RequestUnmatched}, "differs in text: a status request must repeat every field", "",
     {.table = &StoredCall()}},
    {"request for nobody", Refused(Block('3', {{'1', "99"}})), {H::RequestUnmatched},
     "no call to pager 99 is stored", "", {.table = &StoredCall()}},
    {"request to a CommTechWireLess", Refused(Block('3', {{'1', "99"}})), {H::RequestUnmatched},
     "answers every status request with NAK", "", {}, 10000, Emulation::CommTechWireLess},
    {"no poll since the first call owed a status", Accepted(0, kCall) + Accepted(30000, kCall),
     {H::NoPoll}, "sends no poll", "", {}, 35000},
    {"a poll in time", Accepted(0, kCall) + Conversation{{C, 30000, kPoll}, {P, 30025, Ch(EOT)}},
     {}, "", "", {}, 61000},
    {"CTS inactive on a serial port", {}, {H::CtsInactive}, "choose No HandShake", "",
     {.openedMs = 0, .handshake = Handshake::RtsCts, .ctsInactiveMs = 0}, 11000},
    {"CTS inactive on a pty", {{C, 0, kPoll}}, {}, "", "",
     {.openedMs = 0, .kind = PortKind::Pty, .handshake = Handshake::RtsCts, .ctsInactiveMs = 0},
     11000},
};
// clang-format on

class DoctorTable : public ::testing::TestWithParam<DoctorCase> {};

TEST_P(DoctorTable, NamesTheCauseOnceWithItsEvidence) {
    const DoctorCase& c = GetParam();
    const std::vector<Hint> hints = RunLine(c.conversation, c.make, c.notes, c.quietMs).hints;
    std::vector<HintCause> causes;
    for (const Hint& hint : hints) {
        causes.push_back(hint.cause);
    }
    ASSERT_EQ(causes, c.causes);
    if (!hints.empty()) {
        EXPECT_NE(hints[0].text.find(c.says), std::string::npos) << hints[0].text;
        if (!c.evidence.empty()) {
            EXPECT_EQ(HexBytes(hints[0].evidence), c.evidence);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Line, DoctorTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace espa::test
