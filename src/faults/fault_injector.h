#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/engine_events.h"
#include "core/line_tap.h"
#include "faults/fault_plan.h"

namespace espa {

// The faults set for a run: those waiting for their time or exchange, those acting now, and
// every one that has taken effect. Time is counted in handler ticks (Tick, once per 25 ms step,
// before the handler's step), so a fault lasts a whole number of ticks, rounded up, and tests
// drive it as they drive the handler. The handler and the port ask it at the points where a
// fault changes what they do; with nothing set every answer is "carry on".
class FaultInjector {
  public:
    static constexpr int kTickMs = 25;
    static constexpr int TicksFor(int ms) { return (ms + kTickMs - 1) / kTickMs; }

    // What a fault does to the line itself: send a byte a delay held back (unseen by any
    // fault), hang the line up, put it back.
    struct LineActions {
        std::function<void(char)> send;
        std::function<void()> hangUp;
        std::function<void()> reopen;
    };
    void SetLineActions(LineActions actions) { m_line = std::move(actions); }
    // Where the "FAULT:" lines go.
    void SetLog(std::function<void(const std::string&)> log) { m_log = std::move(log); }
    void SetEvents(EngineEvents& events) { m_events = &events; }
    // The time FaultEvents are stamped with.
    void SetClock(MicroClock now) { m_now = std::move(now); }

    // At once, or waiting for its time or exchange.
    void Add(const PlannedFault& planned);
    // Forgets the waiting and the acting ones; a silence or a hang-up in progress ends now.
    void Clear();
    // The run ends: a silence or a hang-up still going is recorded, for as long as it lasted,
    // so that the report judges it too.
    void EndRun();

    void Tick();

    // The central's select or poll has been read: one exchange more.
    void OnExchange();
    // Each true when a fault acts on this occasion; the fault is recorded then.
    bool RefuseSelect();
    bool NakBlock(std::string_view block);
    // The check character to send instead of `right`, when a fault changes it.
    std::optional<std::int16_t> BadCheck(std::int16_t right);
    bool NoEot();

    // Silent: the bytes read are dropped, counted here.
    bool Deaf() const;
    void Dropped(std::size_t count);
    // True when the fault takes the byte the handler sends: dropped while silent, held back
    // while delayed (and sent, in order, by a later Tick).
    bool TakesOutgoing(char byte);

    const std::vector<FaultEvent>& Taken() const { return m_taken; }
    // One line each: "after 10s silent:2000", "nak-block:3 (2 left)".
    std::vector<std::string> PendingTexts() const;
    std::vector<std::string> ActiveTexts() const;

  private:
    struct Acting {
        FaultSpec spec;
        int left = 0;              // counted kinds
        int seen = 0;              // nak-block:every=N: blocks since it began
        std::int64_t endTick = 0;  // silent, drop-line
        std::int64_t startUs = 0;  // silent, drop-line
        std::int64_t dropped = 0;  // silent
    };

    void Start(const FaultSpec& spec);
    void End(const Acting& acting, bool runEnds = false);
    // The counted fault of `kind` that acts now, with its "(1 of 2)"; used up when it reaches
    // its count.
    std::optional<std::pair<FaultSpec, std::string>> Use(FaultKind kind);
    void Record(const FaultSpec& spec, std::string detail,
                std::optional<std::int64_t> startUs = {});
    std::int64_t Now() const { return m_now ? m_now() : SystemTimeUs(); }

    LineActions m_line;
    std::function<void(const std::string&)> m_log;
    EngineEvents* m_events = &NoEngineEvents();
    MicroClock m_now;

    std::int64_t m_tick = 0;
    int m_exchanges = 0;
    std::vector<PlannedFault> m_pending;
    std::vector<Acting> m_acting;
    std::deque<std::pair<std::int64_t, char>> m_held;  // due tick, byte
    std::vector<FaultEvent> m_taken;
};

}  // namespace espa
