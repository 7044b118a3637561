#pragma once

#include <cstdint>
#include <vector>

#include "core/settings_record.h"
#include "line/exchange_analyser.h"
#include "line/frame_decoder.h"
#include "line/line_doctor.h"

namespace espa {

// The decoder, the analyser and the doctor wired together, for a front end that has bytes and a
// timer: feed every chunk as it is read or sent, advance on the timer, take what came out. A new
// make means a new watch.
class LineWatch {
  public:
    explicit LineWatch(Emulation make) : m_decoder(make), m_doctor(make) {}
    // A monitor sets the silence that counts as a timeout, and lets frames of its two taps be
    // as far apart as its taps' delays may differ.
    LineWatch(Emulation make, ExchangeAnalyser::Options analyser)
        : m_decoder(make), m_analyser(analyser), m_doctor(make) {}

    void Feed(const LineChunk& chunk);
    void Advance(std::int64_t nowUs);
    // The end of the capture or the session: everything still open is closed.
    void Finish();

    // Port facts, the call table and what the engine owes go to the doctor directly.
    LineDoctor& Doctor() { return m_doctor; }

    std::vector<Frame> TakeFrames();
    std::vector<Exchange> TakeExchanges() { return m_analyser.TakeExchanges(); }
    std::vector<Hint> TakeHints() { return m_doctor.TakeHints(); }
    const LineTotals& Totals() const { return m_analyser.Totals(); }
    const AnswerStats& Stats() const { return m_analyser.Stats(); }

  private:
    void Take();
    void Pass(std::int64_t nowUs);

    LineDecoder m_decoder;
    ExchangeAnalyser m_analyser;
    LineDoctor m_doctor;
    std::vector<Frame> m_frames;
};

}  // namespace espa
