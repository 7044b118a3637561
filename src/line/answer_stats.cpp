#include "line/answer_stats.h"

#include <algorithm>

namespace espa {

void AnswerStats::Add(const Exchange& exchange) {
    for (const Answer& answer : exchange.answers) {
        m_samples[static_cast<int>(answer.kind)].push_back(answer.us);
    }
}

std::optional<Distribution> AnswerStats::Of(AnswerKind kind) const {
    std::vector<std::int64_t> sorted = m_samples[static_cast<int>(kind)];
    if (sorted.empty()) {
        return std::nullopt;
    }
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least that share of samples at or below it.
    const auto rank = [&](int percent) {
        const std::size_t k = (sorted.size() * percent + 99) / 100;
        return sorted[std::max<std::size_t>(k, 1) - 1];
    };
    return Distribution{sorted.size(), sorted.front(), rank(50), rank(95), sorted.back()};
}

void Count(const Exchange& exchange, LineTotals& totals) {
    switch (exchange.kind) {
        case ExchangeKind::Call:
            ++totals.calls;
            break;
        case ExchangeKind::StatusRequest:
            ++totals.statusRequests;
            break;
        case ExchangeKind::Poll:
            ++totals.polls;
            break;
        case ExchangeKind::Select:
            break;
    }
    if (exchange.outcome == Outcome::Timeout || exchange.outcome == Outcome::StatusUnanswered) {
        ++totals.timeouts;
    }
    for (const Frame& frame : exchange.frames) {
        if (frame.kind == FrameKind::Nak) {
            ++(frame.side == Side::Central ? totals.naksByCentral : totals.naksByPagingSystem);
        }
        // A raised check above 255 that the make leaves out is no error of the line.
        if (frame.kind == FrameKind::Block &&
            (frame.check == CheckVerdict::Wrong ||
             (frame.check == CheckVerdict::Missing && frame.expectedCheck <= 255))) {
            ++totals.checkErrors;
        }
        if (frame.side == Side::PagingSystem && frame.IsBlock('2')) {
            ++totals.transfersByCode[frame.Field('7')];
        }
    }
}

}  // namespace espa
