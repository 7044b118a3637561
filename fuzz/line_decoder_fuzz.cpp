// Chunks from both sides at random times through the decoder, the analyser and the doctor. The
// first byte chooses the make; then each chunk is a header byte (bit 0 the side, bits 1-3 the time
// step on that side's clock, bit 7 a pause for time to pass) and a length byte, then its bytes.
// Each side's clock runs on its own, so the sides drift apart as two adapters' reads can.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calls/call_table.h"
#include "line/exchange_analyser.h"
#include "line/frame_decoder.h"
#include "line/frame_text.h"
#include "line/line_doctor.h"

namespace {

constexpr std::array<std::int64_t, 8> kStepsUs{0,       1'000,     5'000,     20'000,
                                               100'000, 1'000'000, 3'500'000, 40'000'000};

struct SideLog {
    std::string fed;
    std::string framed;
    std::int64_t lastFrameUs = INT64_MIN;
};

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

const espa::CallTable& Table() {
    static const espa::CallTable table = [] {
        espa::CallTable t;
        t[0].Adres = "1";
        t[0].Info = "a";
        t[1].Adres = "2";
        return t;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto make = static_cast<espa::Emulation>(data[0] % 5);
    espa::LineDecoder decoder(make);
    espa::ExchangeAnalyser analyser;
    espa::LineDoctor doctor(make);
    doctor.SetCallTable(&Table());
    doctor.NotePortOpened(0, static_cast<espa::PortKind>(data[0] / 5 % 3));
    doctor.NoteHandshake(0, espa::Handshake::RtsCts);
    doctor.NoteCts(0, false);

    std::array<SideLog, 2> sides;
    std::array<std::int64_t, 2> clocks{0, 0};
    const auto take = [&](std::int64_t nowUs) {
        for (const espa::Frame& frame : decoder.TakeFrames()) {
            SideLog& side = sides[frame.side == espa::Side::Central ? 0 : 1];
            Check(!frame.raw.empty() && frame.endUs >= frame.timeUs);
            Check(frame.timeUs >= side.lastFrameUs);
            side.lastFrameUs = frame.timeUs;
            side.framed += frame.raw;
            Check(!espa::FrameLine(frame, make).empty());
            doctor.Add(frame);
            analyser.Add(frame);
        }
        analyser.Advance(nowUs);
        doctor.Advance(nowUs);
    };

    std::size_t i = 1;
    while (i + 1 < size) {
        const std::uint8_t header = data[i];
        const std::size_t length = std::min<std::size_t>(data[i + 1] % 32, size - i - 2);
        const int s = header & 1;
        clocks[s] += kStepsUs[(header >> 1) & 7];
        const std::string bytes(reinterpret_cast<const char*>(data + i + 2), length);
        i += 2 + length;
        decoder.Feed({s == 0 ? espa::Side::Central : espa::Side::PagingSystem, clocks[s], bytes});
        sides[s].fed += bytes;
        const std::int64_t now = std::max(clocks[0], clocks[1]);
        if (header & 0x80) {
            decoder.Advance(now);
        }
        take(now);
    }
    decoder.Finish();
    take(std::max(clocks[0], clocks[1]) + 100'000'000);
    analyser.Finish();

    // Every byte fed is in exactly one frame, in the order it came.
    Check(sides[0].fed == sides[0].framed && sides[1].fed == sides[1].framed);
    for (const espa::Exchange& x : analyser.TakeExchanges()) {
        Check(!x.frames.empty() && x.endUs >= x.startUs);
    }
    for (const espa::Hint& hint : doctor.TakeHints()) {
        Check(!hint.text.empty());
    }
    return 0;
}
