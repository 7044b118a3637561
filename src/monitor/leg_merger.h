#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_record.h"
#include "line/line_chunk.h"
#include "line/side_decoder.h"

namespace espa {

// The two taps of a monitored line, one per direction, as the user plugged them in.
enum class Leg { A, B };

inline Leg OtherLeg(Leg leg) {
    return leg == Leg::A ? Leg::B : Leg::A;
}

// Puts the chunks of two taps back into one conversation. Each tap has its own adapter and its
// own delay, so a chunk's stamp says when it reached us, not when it was on the line: an answer
// can be stamped before its question. Chunks are held for a while and released in an order the
// protocol allows: of the chunks that could have come first, the side whose turn it is goes
// first. Stamps are left as they came.
//
// Which tap carries the central is learnt from the traffic: only the central sends a digit other
// than "1" before ENQ (its poll "2" ENQ and the "2" ENQ of its select). Until that is seen chunks
// are held; when they have waited too long a tap that alone carried bytes is taken for the paging
// system's, and otherwise the usual wiring is assumed, port A the central's.
class LegMerger {
  public:
    // Longer than two adapters' delays differ by, shorter than anyone's patience.
    static constexpr std::int64_t kDefaultHoldUs = 100'000;
    // How long a tap's chunks wait for the traffic to say which side is on it.
    static constexpr std::int64_t kIdentifyUs = 3'000'000;

    explicit LegMerger(Emulation make, std::int64_t holdUs = kDefaultHoldUs);

    void Add(Leg leg, std::int64_t timeUs, std::string bytes);
    // The chunks that are due by `nowUs`, in protocol order, with their sides.
    std::vector<LineChunk> Release(std::int64_t nowUs);
    // The end of the run: everything held.
    std::vector<LineChunk> ReleaseAll();

    // The tap the central is on, once the traffic has said or the wait has run out.
    std::optional<Leg> CentralLeg() const { return m_centralLeg; }
    // Whether that came from the traffic rather than from the usual wiring.
    bool CentralLegSeen() const { return m_seen; }
    std::int64_t HoldUs() const { return m_holdUs; }

  private:
    struct Held {
        std::int64_t timeUs;
        std::string bytes;
    };
    std::deque<Held>& Queue(Leg leg) { return m_queues[leg == Leg::A ? 0 : 1]; }
    void Identify(Leg leg, const std::string& bytes);
    bool Waited(Leg leg, std::int64_t sinceUs);
    void Assume();
    Side SideOf(Leg leg) const { return leg == *m_centralLeg ? Side::Central : Side::PagingSystem; }
    Leg LegOf(Side side) const {
        return side == Side::Central ? *m_centralLeg : OtherLeg(*m_centralLeg);
    }
    void ReleaseDue(std::int64_t limitUs, std::vector<LineChunk>& out);
    void Emit(Leg leg, std::vector<LineChunk>& out);

    std::int64_t m_holdUs;
    std::array<std::deque<Held>, 2> m_queues;
    std::array<char, 2> m_lastByte{};
    std::optional<Leg> m_centralLeg;
    bool m_seen = false;
    // Frames are decoded a second time, only to know whose turn it is.
    std::array<SideDecoder, 2> m_turnDecoders;
    Side m_turn = Side::Central;
    std::vector<Frame> m_scratch;
};

}  // namespace espa
