#include "line/exchange_analyser.h"

#include <algorithm>

namespace espa {
namespace {

bool From(const Frame& frame, Side side, FrameKind kind) {
    return frame.side == side && frame.kind == kind;
}

bool StartsExchange(const Frame& frame) {
    return From(frame, Side::Central, FrameKind::Select) ||
           From(frame, Side::Central, FrameKind::Poll);
}

}  // namespace

void ExchangeAnalyser::Add(Frame frame) {
    m_watermarkUs = std::max(m_watermarkUs, frame.endUs);
    Queue(frame.side).push_back(std::move(frame));
    Drain(false);
}

void ExchangeAnalyser::Advance(std::int64_t nowUs) {
    m_watermarkUs = std::max(m_watermarkUs, nowUs);
    Drain(false);
}

void ExchangeAnalyser::Finish() {
    Drain(true);
    if (m_current) {
        Close(m_current->outcome);
    }
}

std::vector<Exchange> ExchangeAnalyser::TakeExchanges() {
    std::vector<Exchange> out;
    out.swap(m_closed);
    return out;
}

void ExchangeAnalyser::Drain(bool all) {
    for (;;) {
        std::deque<Frame>& central = Queue(Side::Central);
        std::deque<Frame>& paging = Queue(Side::PagingSystem);
        Side pick = Side::Central;
        if (!central.empty() && !paging.empty()) {
            const std::int64_t c = central.front().timeUs;
            const std::int64_t p = paging.front().timeUs;
            // An exchange that timed out before either frame awaits nothing: a central that tries
            // again as its timeout ends must not lose the answer to its new try to the old one.
            CheckSilence(std::min(c, p));
            const std::optional<Side> awaited = AwaitedSide();
            if (awaited == Side::PagingSystem) {
                pick = p <= c + m_options.skewUs ? Side::PagingSystem : Side::Central;
            } else if (awaited == Side::Central) {
                pick = c <= p + m_options.skewUs ? Side::Central : Side::PagingSystem;
            } else {
                pick = c <= p ? Side::Central : Side::PagingSystem;
            }
        } else if (!central.empty() || !paging.empty()) {
            pick = central.empty() ? Side::PagingSystem : Side::Central;
            // The other side may still deliver a frame stamped before this one.
            if (!all && Queue(pick).front().timeUs + m_options.skewUs > m_watermarkUs) {
                break;
            }
        } else {
            break;
        }
        Frame frame = std::move(Queue(pick).front());
        Queue(pick).pop_front();
        Take(std::move(frame));
    }
    if (!all) {
        CheckSilence(m_watermarkUs - m_options.skewUs);
    }
}

std::optional<Side> ExchangeAnalyser::AwaitedSide() const {
    if (!m_current) {
        return Side::Central;
    }
    if (m_current->stage == Stage::AfterNak) {
        return m_current->kind == ExchangeKind::Poll ? Side::PagingSystem : Side::Central;
    }
    return SideAwaitedAt(m_current->stage);
}

void ExchangeAnalyser::Take(Frame frame) {
    CheckSilence(frame.timeUs);
    if (m_current && StartsExchange(frame)) {
        const bool retry = m_current->stage == Stage::AfterNak &&
                           m_current->kind != ExchangeKind::Poll && frame.kind == FrameKind::Select;
        if (!retry) {
            Close(m_current->outcome == Outcome::Open ? Outcome::Broken : m_current->outcome);
        }
    }
    if (!m_current) {
        if (From(frame, Side::Central, FrameKind::Select)) {
            Open(frame, ExchangeKind::Select, Stage::SelectAck);
        } else if (From(frame, Side::Central, FrameKind::Poll)) {
            Open(frame, ExchangeKind::Poll, Stage::PollAnswer);
        }
        // Anything else stands outside every exchange: noise, or answers to nobody.
        return;
    }
    m_current->frames.push_back(frame);
    m_lastUs = std::max(m_lastUs, frame.endUs);
    if (frame.kind == FrameKind::Noise || Step(frame)) {
        return;
    }
    // An answer the exchange does not allow, from the side it waits for, breaks it; once the
    // outcome is known the rest is only kept.
    if (m_current->outcome == Outcome::Open && AwaitedSide() == frame.side) {
        Close(Outcome::Broken);
    }
}

void ExchangeAnalyser::Open(const Frame& frame, ExchangeKind kind, Stage stage) {
    m_current.emplace();
    m_current->kind = kind;
    m_current->startUs = frame.timeUs;
    m_current->frames.push_back(frame);
    m_lastUs = frame.endUs;
    Expect(stage, frame);
}

void ExchangeAnalyser::Expect(Stage stage, const Frame& question) {
    m_current->stage = stage;
    m_questionEndUs = question.endUs;
}

void ExchangeAnalyser::Timed(AnswerKind kind, const Frame& answer) {
    m_current->answers.push_back({kind, answer.timeUs - m_questionEndUs});
}

void ExchangeAnalyser::Close(Outcome outcome) {
    Exchange& x = *m_current;
    x.outcome = outcome;
    x.endUs = m_lastUs;
    Count(x, m_totals);
    m_stats.Add(x);
    m_closed.push_back(std::move(x));
    m_current.reset();
}

// A silence inside an exchange ends it: as a timeout where an answer was owed, quietly where the
// outcome was already known and only EOT was missing.
void ExchangeAnalyser::CheckSilence(std::int64_t nowUs) {
    if (!m_current || nowUs - m_lastUs < m_options.timeoutUs) {
        return;
    }
    Outcome outcome = m_current->outcome;
    if (outcome == Outcome::Open) {
        const Stage stage = m_current->stage;
        outcome = stage == Stage::CentralAck || stage == Stage::TransferAnswer
                      ? Outcome::StatusUnanswered
                      : Outcome::Timeout;
    }
    Close(outcome);
}

}  // namespace espa
