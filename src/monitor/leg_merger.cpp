#include "monitor/leg_merger.h"

#include "core/control_chars.h"

namespace espa {

LegMerger::LegMerger(Emulation make, std::int64_t holdUs)
    : m_holdUs(holdUs),
      m_turnDecoders{SideDecoder(Side::Central, make), SideDecoder(Side::PagingSystem, make)} {}

void LegMerger::Add(Leg leg, std::int64_t timeUs, std::string bytes) {
    if (bytes.empty()) {
        return;
    }
    if (!m_seen) {
        Identify(leg, bytes);
    }
    Queue(leg).push_back({timeUs, std::move(bytes)});
}

void LegMerger::Identify(Leg leg, const std::string& bytes) {
    char& last = m_lastByte[leg == Leg::A ? 0 : 1];
    for (const char byte : bytes) {
        if (byte == ENQ && last >= '2' && last <= '9') {
            m_centralLeg = leg;
            m_seen = true;
            return;
        }
        last = byte;
    }
}

std::vector<LineChunk> LegMerger::Release(std::int64_t nowUs) {
    std::vector<LineChunk> out;
    if (!m_centralLeg) {
        const bool waitedA = Waited(Leg::A, nowUs - kIdentifyUs);
        const bool waitedB = Waited(Leg::B, nowUs - kIdentifyUs);
        if (!waitedA && !waitedB) {
            return out;
        }
        Assume();
    }
    ReleaseDue(nowUs - m_holdUs, out);
    return out;
}

bool LegMerger::Waited(Leg leg, std::int64_t sinceUs) {
    return !Queue(leg).empty() && Queue(leg).front().timeUs <= sinceUs;
}

// The central polls within seconds: a tap that has carried that long without a poll is the
// paging system's. With traffic on both and no poll, the usual wiring.
void LegMerger::Assume() {
    const bool heardA = !Queue(Leg::A).empty();
    const bool heardB = !Queue(Leg::B).empty();
    m_centralLeg = heardA != heardB ? (heardA ? Leg::B : Leg::A) : Leg::A;
}

std::vector<LineChunk> LegMerger::ReleaseAll() {
    std::vector<LineChunk> out;
    if (!m_centralLeg) {
        Assume();
    }
    ReleaseDue(INT64_MAX - m_holdUs, out);
    return out;
}

// A chunk is due once it is older than the hold. Of the due chunks the oldest goes, unless the
// side whose turn it is has one that is no more than the hold younger: that one may well have
// been on the line first.
void LegMerger::ReleaseDue(std::int64_t limitUs, std::vector<LineChunk>& out) {
    for (;;) {
        std::optional<Leg> oldest;
        for (Leg leg : {Leg::A, Leg::B}) {
            const std::deque<Held>& queue = Queue(leg);
            if (!queue.empty() && queue.front().timeUs <= limitUs &&
                (!oldest || queue.front().timeUs < Queue(*oldest).front().timeUs)) {
                oldest = leg;
            }
        }
        if (!oldest) {
            return;
        }
        const Leg turn = LegOf(m_turn);
        const std::deque<Held>& turnQueue = Queue(turn);
        const bool turnFirst = turn != *oldest && !turnQueue.empty() &&
                               turnQueue.front().timeUs <= Queue(*oldest).front().timeUs + m_holdUs;
        Emit(turnFirst ? turn : *oldest, out);
    }
}

// The turn passes with each whole frame: to the central after EOT, to the other side after any
// other. Noise and a frame still coming leave it where it is.
void LegMerger::Emit(Leg leg, std::vector<LineChunk>& out) {
    Held held = std::move(Queue(leg).front());
    Queue(leg).pop_front();
    const Side side = SideOf(leg);
    SideDecoder& decoder = m_turnDecoders[side == Side::Central ? 0 : 1];
    for (const char byte : held.bytes) {
        decoder.Take(byte, held.timeUs, m_scratch);
    }
    for (const Frame& frame : m_scratch) {
        if (frame.kind != FrameKind::Noise) {
            m_turn = frame.kind == FrameKind::Eot ? Side::Central : OtherSide(side);
        }
    }
    m_scratch.clear();
    out.push_back({side, held.timeUs, std::move(held.bytes)});
}

}  // namespace espa
