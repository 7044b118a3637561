#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "line/answer_stats.h"
#include "line/exchange.h"
#include "line/frame.h"

namespace espa {

// Follows the exchanges on the line: each select or poll of the central with everything up to
// EOT or a silence, its outcome and the answer times of both sides.
//
// Frames are taken in protocol order rather than stamp order: with two adapters an answer can be
// stamped a little before its question. Frames wait until the other side can no longer deliver
// one that belongs before them (the skew), and of two candidates the one the exchange awaits goes
// first when they are within the skew of each other.
class ExchangeAnalyser {
  public:
    static constexpr std::int64_t kDefaultTimeoutUs = 3'000'000;
    static constexpr std::int64_t kDefaultSkewUs = 30'000;

    struct Options {
        std::int64_t timeoutUs = kDefaultTimeoutUs;
        std::int64_t skewUs = kDefaultSkewUs;
    };

    ExchangeAnalyser() : ExchangeAnalyser(Options{}) {}
    explicit ExchangeAnalyser(Options options) : m_options(options) {}

    // Frames of each side in the order the decoder gave them.
    void Add(Frame frame);
    void Advance(std::int64_t nowUs);
    // The end of the capture: every frame is taken, an unfinished exchange closes as it stands.
    void Finish();

    std::vector<Exchange> TakeExchanges();
    const LineTotals& Totals() const { return m_totals; }
    const AnswerStats& Stats() const { return m_stats; }

  private:
    std::deque<Frame>& Queue(Side side) { return m_queues[side == Side::Central ? 0 : 1]; }
    void Drain(bool all);
    std::optional<Side> AwaitedSide() const;
    void Take(Frame frame);
    bool Step(const Frame& frame);
    void Open(const Frame& frame, ExchangeKind kind, Stage stage);
    void Expect(Stage stage, const Frame& question);
    void Timed(AnswerKind kind, const Frame& answer);
    void Close(Outcome outcome);
    void CheckSilence(std::int64_t nowUs);

    Options m_options;
    std::array<std::deque<Frame>, 2> m_queues;
    std::int64_t m_watermarkUs = 0;
    std::optional<Exchange> m_current;
    std::int64_t m_questionEndUs = 0;
    std::int64_t m_lastUs = 0;
    std::vector<Exchange> m_closed;
    LineTotals m_totals;
    AnswerStats m_stats;
};

}  // namespace espa
