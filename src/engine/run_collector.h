#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "line/answer_stats.h"
#include "line/exchange.h"
#include "line/hint.h"
#include "report/run_report.h"

namespace espa {

// What a run's report is made of, kept from the first moment to the last: every closed exchange
// (the central is judged on them once the run is over), every hint, the totals and every answer
// time. A watch lives only as long as one make or one front end's interest, so the figures are
// counted here from the exchanges rather than read off the watch.
class RunCollector {
  public:
    // What the watch closed and hinted since the last call, at `nowUs` on the line clock. The
    // first call (or Mark) starts the run's time span, the last one ends it.
    void Add(std::vector<Exchange> exchanges, const std::vector<Hint>& hints, std::int64_t nowUs);
    void Mark(std::int64_t nowUs);

    const std::vector<Exchange>& Exchanges() const { return m_exchanges; }

    // The figures with the engineer's header and the central's verdicts; who ran it, where and
    // how is for the caller to add.
    RunReport Build(const ReportHeader& header, std::vector<FaultVerdict> faultVerdicts,
                    std::vector<std::string> centralSlips) const;

  private:
    std::vector<Exchange> m_exchanges;
    std::vector<Hint> m_hints;
    LineTotals m_totals;
    AnswerStats m_stats;
    std::int64_t m_startUs = 0;
    std::int64_t m_endUs = 0;
    bool m_started = false;
};

}  // namespace espa
