#include "line_summary.h"

#include <cstdio>

#include "common/json_text.h"
#include "report/report_json.h"

namespace espa {
namespace {

constexpr AnswerKind kAnswerKindList[kAnswerKinds] = {
    AnswerKind::PagingAckOfSelect,       AnswerKind::CentralBlockAfterAck,
    AnswerKind::PagingAnswerToBlock,     AnswerKind::PagingAnswerToPoll,
    AnswerKind::CentralAckOfSelect,      AnswerKind::PagingTransferAfterAck,
    AnswerKind::CentralAnswerToTransfer,
};

std::string Ms(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(us) / 1000.0);
    return text;
}

}  // namespace

std::vector<std::string> SummaryLines(const LineTotals& totals, const AnswerStats& stats) {
    std::string transfers;
    long transferCount = 0;
    for (const auto& [code, count] : totals.transfersByCode) {
        transfers += (transfers.empty() ? "" : ", ") + code + ": " + std::to_string(count);
        transferCount += count;
    }
    std::vector<std::string> lines{
        "SUMMARY: calls " + std::to_string(totals.calls) + ", status requests " +
            std::to_string(totals.statusRequests) + ", polls " + std::to_string(totals.polls) +
            ", status transfers " + std::to_string(transferCount) +
            (transfers.empty() ? "" : " (" + transfers + ")"),
        "SUMMARY: NAKs by the paging system " + std::to_string(totals.naksByPagingSystem) +
            ", NAKs by the central " + std::to_string(totals.naksByCentral) + ", timeouts " +
            std::to_string(totals.timeouts) + ", check errors " +
            std::to_string(totals.checkErrors),
    };
    for (const AnswerKind kind : kAnswerKindList) {
        if (const std::optional<Distribution> d = stats.Of(kind)) {
            lines.push_back("SUMMARY: " + std::string(AnswerName(kind)) + ": " +
                            std::to_string(d->count) + " times, min " + Ms(d->minUs) +
                            " ms, median " + Ms(d->medianUs) + " ms, p95 " + Ms(d->p95Us) +
                            " ms, max " + Ms(d->maxUs) + " ms");
        }
    }
    return lines;
}

std::string SummaryJson(const LineTotals& totals, const AnswerStats& stats) {
    Json answers = Json::object();
    for (const AnswerKind kind : kAnswerKindList) {
        if (const std::optional<Distribution> d = stats.Of(kind)) {
            answers[AnswerName(kind)] = {{"count", d->count},
                                         {"min_ms", d->minUs / 1000.0},
                                         {"median_ms", d->medianUs / 1000.0},
                                         {"p95_ms", d->p95Us / 1000.0},
                                         {"max_ms", d->maxUs / 1000.0}};
        }
    }
    Json line;
    line["event"] = "summary";
    line.update(TotalsJson(totals));
    line["answer_times"] = answers;
    return JsonText(line);
}

}  // namespace espa
