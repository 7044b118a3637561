#include "judge/central_judge.h"

#include <algorithm>
#include <optional>

#include "judge/exchange_reading.h"
#include "line/exchange_analyser.h"

namespace espa {
namespace {

using Result = FaultVerdict::Result;
constexpr Side C = Side::Central;
constexpr Side P = Side::PagingSystem;

// The fault is stamped when the emulator acted and the frame when the tap saw it: one clock, but
// not one moment.
constexpr std::int64_t kSlackUs = ExchangeAnalyser::kDefaultSkewUs;

constexpr const char* kWithoutSelect =
    "sent again without a fresh select, which the paging system ignores as a real one does";

std::string Ms(std::int64_t us) {
    return std::to_string(us / 1000) + " ms";
}

// One frame of the run and the exchange that holds it.
struct Seen {
    const Exchange* exchange;
    std::size_t index;
    const Frame& Get() const { return exchange->frames[index]; }
    const Frame* Before() const { return index ? &exchange->frames[index - 1] : nullptr; }
};
using Run = std::vector<Seen>;

Run Flatten(const std::vector<Exchange>& exchanges) {
    Run run;
    for (const Exchange& x : exchanges) {
        for (std::size_t i = 0; i < x.frames.size(); ++i) {
            run.push_back({&x, i});
        }
    }
    return run;
}

// The first frame the fault can have made, or changed.
template <class Match>
Run::const_iterator FirstFrom(const Run& run, const FaultEvent& fault, Match match) {
    return std::find_if(run.begin(), run.end(), [&](const Seen& s) {
        return s.Get().timeUs >= fault.timeUs - kSlackUs && match(s);
    });
}

bool Completed(const Exchange& x) {
    switch (x.outcome) {
        case Outcome::CallAccepted:
        case Outcome::RequestFound:
        case Outcome::RequestNotFound:
        case Outcome::PollEmpty:
        case Outcome::StatusDelivered:
            return true;
        default:
            return false;
    }
}

// When a completed exchange got its answer: its last ACK or NAK, else (an empty poll) its end.
std::int64_t SettledUs(const Exchange& x) {
    const auto answer = std::find_if(x.frames.rbegin(), x.frames.rend(), [](const Frame& f) {
        return f.kind == FrameKind::Ack || f.kind == FrameKind::Nak;
    });
    return answer == x.frames.rend() ? x.endUs : answer->timeUs;
}

// The central stopped waiting for the paging system: a timeout, or a new exchange begun early.
bool CentralTimedOut(const Exchange& x) {
    return (x.outcome == Outcome::Timeout || x.outcome == Outcome::Broken) &&
           SideAwaitedAt(x.stage) == P;
}

// The exchanges the central began from `fromUs` on: the first, and the first that `good` takes
// with how many began up to it.
struct Attempts {
    const Exchange* first = nullptr;
    const Exchange* good = nullptr;
    int tries = 0;
};

template <class Good>
Attempts AttemptsFrom(const std::vector<Exchange>& exchanges, std::int64_t fromUs, Good good) {
    Attempts a;
    for (const Exchange& x : exchanges) {
        if (x.startUs < fromUs) {
            continue;
        }
        a.first = a.first ? a.first : &x;
        ++a.tries;
        if (good(x)) {
            a.good = &x;
            break;
        }
    }
    return a;
}

FaultVerdict Verdict(const FaultEvent& fault, const Attempts& a, std::string reaction) {
    if (!a.good) {
        return {fault, Result::NotRecovered, a.tries, 0, std::move(reaction)};
    }
    return {fault, Result::Recovered, a.tries, SettledUs(*a.good) - fault.timeUs,
            std::move(reaction)};
}

// nak-block and refuse-select: the central's attempts at what was refused, up to the first one
// the paging system acknowledged.
FaultVerdict JudgeRefusal(const FaultEvent& fault, const Run& run) {
    const bool select = fault.spec.kind == FaultKind::RefuseSelect;
    const FrameKind refusedKind = select ? FrameKind::Select : FrameKind::Block;
    const auto nak = FirstFrom(run, fault, [&](const Seen& s) {
        return From(s.Get(), P, FrameKind::Nak) && s.Before() && From(*s.Before(), C, refusedKind);
    });
    if (nak == run.end()) {
        return {fault, Result::NoReaction, 0, 0, "the NAK did not show on the line"};
    }
    const Frame& refused = *nak->Before();
    const auto isAttempt = [&](const Frame& f) {
        return From(f, C, refusedKind) &&
               (select || (f.header == refused.header && f.fields == refused.fields));
    };
    FaultVerdict v{fault, Result::NotRecovered, 0, 0, {}};
    std::optional<std::int64_t> selectUs, firstBare, firstReselect;
    for (auto it = std::next(nak); it != run.end(); ++it) {
        const Frame& f = it->Get();
        if (From(f, P, FrameKind::Ack) && it->Before() && isAttempt(*it->Before())) {
            v.result = Result::Recovered;
            v.recoveryUs = f.timeUs - fault.timeUs;
            break;
        }
        if (From(f, C, FrameKind::Select)) {
            selectUs = f.timeUs;
        }
        if (isAttempt(f)) {
            ++v.tries;
            if (selectUs && !firstReselect) {
                firstReselect = selectUs;
            } else if (!selectUs && !firstBare) {
                firstBare = f.timeUs;
            }
        }
        if (f.kind == FrameKind::Block) {
            selectUs.reset();
        }
    }
    if (select) {
        v.reaction = v.tries ? "selected again after " + Ms(*firstReselect - fault.timeUs)
                             : "gave up: did not select again";
        return v;
    }
    const std::string reselected =
        firstReselect ? "re-selected and sent again after " + Ms(*firstReselect - fault.timeUs)
                      : "";
    if (firstBare && (!firstReselect || *firstBare < *firstReselect)) {
        v.reaction = kWithoutSelect + (reselected.empty() ? "" : "; then " + reselected);
    } else {
        v.reaction = firstReselect ? reselected : "gave up: did not send the block again";
    }
    return v;
}

// silent and drop-line: what the central did while the paging system was gone, and after.
FaultVerdict JudgeOutage(const FaultEvent& fault, const std::vector<Exchange>& exchanges) {
    const bool silent = fault.spec.kind == FaultKind::Silent;
    const long during = std::count_if(exchanges.begin(), exchanges.end(), [&](const Exchange& x) {
        return x.startUs >= fault.timeUs && x.startUs < fault.endUs;
    });
    const Attempts after = AttemptsFrom(exchanges, fault.endUs, Completed);
    if (!during && !after.first) {
        return {fault, Result::NoReaction, 0, 0, "sent nothing during the fault or after it"};
    }
    std::string reaction =
        silent ? "made " + Counted(during, "try", "tries") + " during the silence; " : "";
    const char* end = silent ? " after it ended" : " after the line returned";
    if (!after.first) {
        reaction += std::string("gave up: nothing") + end;
    } else {
        reaction += (silent ? "tried again " : "came back ") +
                    Ms(after.first->startUs - fault.endUs) + end +
                    (after.good ? "" : ", but no exchange completed");
    }
    Attempts all = after;
    all.tries += static_cast<int>(during);
    return Verdict(fault, all, std::move(reaction));
}

FaultVerdict JudgeDelay(const FaultEvent& fault, const std::vector<Exchange>& exchanges) {
    int total = 0;
    int timeouts = 0;
    int completed = 0;
    std::optional<std::int64_t> firstUs;
    for (const Exchange& x : exchanges) {
        if (x.endUs < fault.timeUs) {
            continue;
        }
        ++total;
        timeouts += CentralTimedOut(x) ? 1 : 0;
        if (Completed(x)) {
            ++completed;
            firstUs = firstUs ? firstUs : SettledUs(x);
        }
    }
    if (!total) {
        return {fault, Result::NoReaction, 0, 0, "no exchange after the delay began"};
    }
    const std::string reaction =
        (timeouts ? "timed out " + Counted(timeouts, "time", "times") + "; "
                  : "waited for the late answers; ") +
        std::to_string(completed) + " of " + Counted(total, "exchange", "exchanges") + " completed";
    if (!firstUs) {
        return {fault, Result::NotRecovered, 0, 0, reaction};
    }
    return {fault, Result::Recovered, 0, std::max<std::int64_t>(*firstUs - fault.timeUs, 0),
            reaction};
}

FaultVerdict JudgeBadCheck(const FaultEvent& fault, const Run& run,
                           const std::vector<Exchange>& exchanges) {
    const auto sent = FirstFrom(run, fault, [](const Seen& s) {
        return s.Get().side == P && s.Get().IsBlock('2') && s.Get().check == CheckVerdict::Wrong;
    });
    if (sent == run.end()) {
        return {fault, Result::NoReaction, 0, 0, "the status transfer did not show on the line"};
    }
    const Exchange& hit = *sent->exchange;
    if (hit.outcome == Outcome::StatusDelivered) {
        return {fault, Result::NotRecovered, 0, 0, "accepted a wrong check character"};
    }
    const Frame& transfer = sent->Get();
    const Attempts later = AttemptsFrom(exchanges, hit.startUs + 1, [&](const Exchange& x) {
        const Frame* again = TransferOf(x);
        return x.outcome == Outcome::StatusDelivered && again &&
               again->Field('1') == transfer.Field('1') && again->Field('7') == transfer.Field('7');
    });
    return Verdict(fault, later,
                   hit.outcome == Outcome::StatusNaked ? "NAKed the status transfer"
                                                       : "did not answer the status transfer");
}

FaultVerdict JudgeNoEot(const FaultEvent& fault, const std::vector<Exchange>& exchanges) {
    // The exchange without its EOT began before the fault; the central's next one after it.
    const auto hit = std::find_if(exchanges.rbegin(), exchanges.rend(),
                                  [&](const Exchange& x) { return x.startUs <= fault.timeUs; });
    const std::int64_t fromUs = hit == exchanges.rend() ? fault.timeUs : hit->startUs + 1;
    const Attempts later = AttemptsFrom(exchanges, fromUs, Completed);
    if (!later.first) {
        return {fault, Result::NotRecovered, 0, 0, "sent nothing more after the missing EOT"};
    }
    return Verdict(fault, later,
                   "carried on after " + Ms(later.first->startUs - fault.timeUs) +
                       (later.good ? "" : ", but no exchange completed"));
}

}  // namespace

std::vector<FaultVerdict> JudgeCentral(const std::vector<FaultEvent>& faults,
                                       const std::vector<Exchange>& exchanges) {
    const Run run = Flatten(exchanges);
    std::vector<FaultVerdict> verdicts;
    for (const FaultEvent& fault : faults) {
        switch (fault.spec.kind) {
            case FaultKind::NakBlock:
            case FaultKind::RefuseSelect:
                verdicts.push_back(JudgeRefusal(fault, run));
                break;
            case FaultKind::Silent:
            case FaultKind::DropLine:
                verdicts.push_back(JudgeOutage(fault, exchanges));
                break;
            case FaultKind::Delay:
                verdicts.push_back(JudgeDelay(fault, exchanges));
                break;
            case FaultKind::BadCheck:
                verdicts.push_back(JudgeBadCheck(fault, run, exchanges));
                break;
            case FaultKind::NoEot:
                verdicts.push_back(JudgeNoEot(fault, exchanges));
                break;
        }
    }
    return verdicts;
}

}  // namespace espa
