#include <map>

#include "judge/central_judge.h"
#include "judge/exchange_reading.h"

namespace espa {

std::vector<std::string> CentralSlips(const std::vector<Exchange>& exchanges) {
    long wrongChecks = 0;
    long missingChecks = 0;
    long resentBare = 0;
    std::map<Stage, long> broken;
    std::map<Stage, long> fellSilent;
    for (const Exchange& x : exchanges) {
        for (std::size_t i = 0; i < x.frames.size(); ++i) {
            const Frame& f = x.frames[i];
            if (!From(f, Side::Central, FrameKind::Block)) {
                continue;
            }
            wrongChecks += f.check == CheckVerdict::Wrong ? 1 : 0;
            missingChecks += f.check == CheckVerdict::Missing ? 1 : 0;
            // Straight after our NAK: no fresh select came between.
            resentBare += i && From(x.frames[i - 1], Side::PagingSystem, FrameKind::Nak) ? 1 : 0;
        }
        if (SideAwaitedAt(x.stage) != Side::Central) {
            continue;
        }
        if (x.outcome == Outcome::Broken) {
            ++broken[x.stage];
        }
        // A transfer whose raised check the make cannot send leaves the central nothing to answer.
        const Frame* transfer = TransferOf(x);
        const bool answerable = !transfer || transfer->check != CheckVerdict::Missing;
        if ((x.outcome == Outcome::Timeout || x.outcome == Outcome::StatusUnanswered) &&
            answerable) {
            ++fellSilent[x.stage];
        }
    }
    std::vector<std::string> slips;
    if (wrongChecks) {
        slips.push_back(Counted(wrongChecks, "block", "blocks") + " with a wrong check character");
    }
    if (missingChecks) {
        slips.push_back(Counted(missingChecks, "block", "blocks") + " without a check character");
    }
    for (const auto& [stage, n] : broken) {
        slips.push_back(Counted(n, "exchange", "exchanges") + " broken off: " + StageName(stage));
    }
    for (const auto& [stage, n] : fellSilent) {
        slips.push_back(Counted(n, "exchange", "exchanges") +
                        " where the central fell silent: " + StageName(stage));
    }
    if (resentBare) {
        slips.push_back(Counted(resentBare, "block", "blocks") +
                        " sent again without a fresh select");
    }
    return slips;
}

}  // namespace espa
