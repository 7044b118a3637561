#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "line/exchange.h"

namespace espa {

struct Distribution {
    std::size_t count = 0;
    std::int64_t minUs = 0;
    std::int64_t medianUs = 0;
    std::int64_t p95Us = 0;
    std::int64_t maxUs = 0;
    bool operator==(const Distribution&) const = default;
};

// Counts of what the line carried, by exchange.
struct LineTotals {
    long calls = 0;
    long statusRequests = 0;
    long polls = 0;
    std::map<std::string, long> transfersByCode;  // status transfers sent, by status code
    long naksByPagingSystem = 0;
    long naksByCentral = 0;
    long timeouts = 0;
    long checkErrors = 0;  // blocks with a wrong or missing check character
    bool operator==(const LineTotals&) const = default;
};

// The answer times of every exchange, kept whole so that percentiles are exact.
class AnswerStats {
  public:
    void Add(const Exchange& exchange);
    // Nothing when no answer of that kind was timed.
    std::optional<Distribution> Of(AnswerKind kind) const;
    // Every time of that kind, in the order measured: a report draws them as they came.
    const std::vector<std::int64_t>& Samples(AnswerKind kind) const {
        return m_samples[static_cast<int>(kind)];
    }

  private:
    std::array<std::vector<std::int64_t>, kAnswerKinds> m_samples;
};

// Adds one closed exchange to the totals.
void Count(const Exchange& exchange, LineTotals& totals);

}  // namespace espa
