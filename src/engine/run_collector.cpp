#include "engine/run_collector.h"

namespace espa {

void RunCollector::Add(std::vector<Exchange> exchanges, const std::vector<Hint>& hints,
                       std::int64_t nowUs) {
    Mark(nowUs);
    for (Exchange& exchange : exchanges) {
        Count(exchange, m_totals);
        m_stats.Add(exchange);
        m_exchanges.push_back(std::move(exchange));
    }
    m_hints.insert(m_hints.end(), hints.begin(), hints.end());
}

void RunCollector::Mark(std::int64_t nowUs) {
    if (!m_started) {
        m_started = true;
        m_startUs = nowUs;
    }
    m_endUs = nowUs;
}

RunReport RunCollector::Build(const ReportHeader& header, std::vector<FaultVerdict> faultVerdicts,
                              std::vector<std::string> centralSlips) const {
    RunReport report;
    report.header = header;
    report.startUs = m_startUs;
    report.endUs = m_endUs;
    report.totals = m_totals;
    for (int k = 0; k < kAnswerKinds; ++k) {
        const auto kind = static_cast<AnswerKind>(k);
        if (const std::optional<Distribution> times = m_stats.Of(kind)) {
            report.answers.push_back({kind, *times, m_stats.Samples(kind)});
        }
    }
    report.faults = std::move(faultVerdicts);
    report.centralSlips = std::move(centralSlips);
    report.hints = m_hints;
    return report;
}

}  // namespace espa
