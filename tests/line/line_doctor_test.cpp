#include <gtest/gtest.h>

#include <bitset>
#include <numeric>

#include "conversation.h"

namespace espa::test {
namespace {

const std::string kCall = FrameBlock('1', {{'1', "1234"}});

std::string Masked(const std::string& block, int mask) {
    return WithCheck(block, static_cast<char>(block.back() ^ mask));
}

std::string Summed(const std::string& block) {
    return WithCheck(block,
                     static_cast<char>(std::accumulate(block.begin() + 1, block.end() - 1, 0)));
}

// The bytes as a 7-bit sender with odd parity puts them on the line.
std::string OddParity(std::string bytes) {
    for (char& c : bytes) {
        c = static_cast<char>(std::bitset<7>(c).count() % 2 ? c : c | 0x80);
    }
    return bytes;
}

// Two different calls, each checked by the same wrong rule.
template <typename Rule>
Conversation TwoBadCalls(Rule bad) {
    return {{C, 0, bad(FrameBlock('1', {{'1', "1"}, {'2', "Ward 3"}}))},
            {C, 1000, bad(FrameBlock('1', {{'1', "22"}}))}};
}

Conversation Twice(const std::string& bytes) {
    return {{C, 0, bytes}, {C, 4000, bytes}};
}

const CallTable* StoredCall() {
    static CallTable table;
    table[0] = {"1234", "Ward 3", "", "", "", "", kStatusNew, 60, 1};
    return &table;
}

struct DoctorCase {
    Conversation conversation;
    std::vector<HintCause> causes;
    std::string says = {};  // part of the hint's text
    std::string evidence = {};
    PortNotes notes = {};
    double quietMs = 10000;
    Emulation make = Emulation::Philips;
};

using H = HintCause;
const auto kXor = [](int mask) { return [mask](const std::string& b) { return Masked(b, mask); }; };
const Conversation kEcho{
    {C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 12, Ch(ACK)}, {C, 30, kCall}, {P, 60, Ch(ACK)}};

// clang-format off
const DoctorCase kCases[] = {
    {TwoBadCalls(kXor(0x01)), {H::CheckRule}, "with SOH included:"},
    {TwoBadCalls(kXor(0x03)), {H::CheckRule},
     "ETX left out or SOH included and STX left out (these give the same value)"},
    {TwoBadCalls(kXor(0x02)), {H::CheckRule}, "with STX left out:"},
    {TwoBadCalls(Summed), {H::CheckRule}, "a sum instead of exclusive-or"},
    {{{C, 0, Masked(BlockWithCheck('1', "1", '\xC1'), 0x80)},
      {C, 100, Masked(BlockWithCheck('1', "2", '\xD2'), 0x80)}}, {H::CheckRule}, "seven bits only"},
    {{{C, 0, Masked(kCall, 1)}, {C, 100, Masked(kCall, 1)}}, {}},  // one bad block sent twice
    {Twice("\xB1\x05\xB2\x05"), {H::LineSettings},
     "choose 7 bits, even parity in the settings dialog (now 8 bits, parity N, 1 stop bit)",
     "B1 05 B2 05"},
    {Twice("\xB1\x05\xB2\x05"), {}, "", "", {.settings = {.parity = LineSettings::Parity::Even, .dataBits = 7}}},
    {Twice(OddParity(kCall)), {H::LineSettings}, "choose 7 bits, odd parity"},
    {Twice("\xB1\x85\xB2\x85"), {H::LineSettings}, "choose 7 bits, 2 stop bits"},
    {{}, {H::SilentLine}, "cable is crossed", "", {.openedMs = 0}, 31000},
    {{{C, 1000, "x"}}, {}, "", "", {.openedMs = 0}, 31000},
    {kEcho + Conversation{{C, 62, Ch(ACK)}, {C, 70, Ch(EOT)}, {C, 200, kPoll}, {P, 225, Ch(EOT)},
                          {C, 227, Ch(EOT)}}, {H::Echo}, "loopback plug", "06"},
    {kEcho, {}},  // one ACK that looks like an echo
    {{{C, 0, kPoll + "1" + ENQ}, {P, 20, Ch(EOT)}, {C, 5000, kPoll + "1" + ENQ}},
     {H::OtherAddress}, "2 ENQ 1 ENQ", "32 05 31 05"},
    {{{C, 0, {'1', ENQ}}, {C, 5000, {'1', ENQ}}}, {H::OtherAddress}, "stops after 1 ENQ"},
    {{{C, 0, {'1', ENQ}}, {C, 65000, {'1', ENQ}}}, {}},  // a minute apart
    {Selected(0, kCall + "\r\n", ACK) + Eot(70) + Selected(1000, kCall + "\r\n", ACK) + Eot(1070),
     {H::BytesAfterCheck}, "CR LF", "03 " + HexBytes(kCall.substr(kCall.size() - 1)) + " 0D 0A"},
    {{{C, 0, "\xFF\xFD\x18\xFF\xFB\x01"}}, {H::TelnetNegotiation}, "raw TCP", "",
     {.openedMs = 0, .kind = PortKind::Tcp}},
    {{{C, 0, "\xFF\xFD\x18\xFF\xFB\x01"}}, {}},  // on a serial line
    {Selected(0, FrameBlock('3', {{'1', "1234"}, {'2', "Ward 4"}}), NAK), {H::RequestUnmatched},
     "differs in text: a status request must repeat every field", "", {.table = StoredCall()}},
    {Selected(0, FrameBlock('3', {{'1', "99"}}), NAK), {H::RequestUnmatched},
     "no call to pager 99 is stored", "", {.table = StoredCall()}},
    {Selected(0, FrameBlock('3', {{'1', "99"}}), NAK), {H::RequestUnmatched},
     "answers every status request with NAK", "", {}, 10000, Emulation::CommTechWireLess},
    {Selected(0, kCall, ACK) + Eot(70) + Selected(30000, kCall, ACK) + Eot(30070), {H::NoPoll},
     "sends no poll", "", {}, 35000},
    {Selected(0, kCall, ACK) + Eot(70) + Conversation{{C, 30000, kPoll}, {P, 30025, Ch(EOT)}}, {},
     "", "", {}, 61000},
    {{}, {H::CtsInactive}, "choose No HandShake", "",
     {.openedMs = 0, .handshake = Handshake::RtsCts, .ctsInactiveMs = 0}, 11000},
    {{{C, 0, kPoll}}, {}, "", "",
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

INSTANTIATE_TEST_SUITE_P(Line, DoctorTable, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace espa::test
