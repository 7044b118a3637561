#include "faults/fault_injector.h"

#include <algorithm>
#include <cstdio>

#include "faults/fault_text.h"

namespace espa {
namespace {

std::string Hex(std::int16_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(code) & 0xFFu);
    return text;
}

// A wrong check character that is never the right one and stays a byte.
std::int16_t Spoilt(std::int16_t right) {
    return static_cast<std::int16_t>((right & 0xFF) ^ 0x01);
}

}  // namespace

void FaultInjector::Add(const PlannedFault& planned) {
    if (planned.start.kind == FaultStart::Kind::AtOnce) {
        Start(planned.spec);
    } else {
        m_pending.push_back(planned);
    }
}

void FaultInjector::Clear() {
    m_pending.clear();
    const std::vector<Acting> acting = std::exchange(m_acting, {});
    for (const Acting& a : acting) {
        if (a.spec.kind == FaultKind::Silent || a.spec.kind == FaultKind::DropLine) {
            End(a);
        }
    }
}

void FaultInjector::Start(const FaultSpec& spec) {
    Acting acting{spec, spec.count};
    switch (spec.kind) {
        case FaultKind::Silent:
        case FaultKind::DropLine:
            acting.endTick = m_tick + TicksFor(spec.ms);
            acting.startUs = Now();
            if (spec.kind == FaultKind::DropLine && m_line.hangUp) {
                m_line.hangUp();
            }
            break;
        case FaultKind::Delay:
            // A later delay replaces the one before rather than adding to it.
            std::erase_if(m_acting,
                          [](const Acting& a) { return a.spec.kind == FaultKind::Delay; });
            Record(spec,
                   "every byte sent from now on goes out " + std::to_string(spec.ms) + " ms late");
            break;
        default:
            break;
    }
    m_acting.push_back(acting);
}

void FaultInjector::End(const Acting& acting, bool runEnds) {
    // Cleared or cut off by the end of the run, it says how long it really lasted.
    const std::int64_t lastedMs = (m_tick - acting.endTick + TicksFor(acting.spec.ms)) * kTickMs;
    const std::string ms = (lastedMs < acting.spec.ms ? std::to_string(lastedMs) + " of " : "") +
                           std::to_string(acting.spec.ms) + " ms";
    if (acting.spec.kind == FaultKind::Silent) {
        Record(acting.spec,
               "deaf and mute for " + ms + ", " + std::to_string(acting.dropped) + " bytes dropped",
               acting.startUs);
    } else {
        // At the end of the run the line is being closed for good.
        if (!runEnds && m_line.reopen) {
            m_line.reopen();
        }
        Record(acting.spec, "line hung up for " + ms, acting.startUs);
    }
}

void FaultInjector::EndRun() {
    m_pending.clear();
    const std::vector<Acting> acting = std::exchange(m_acting, {});
    for (const Acting& a : acting) {
        if (a.spec.kind == FaultKind::Silent || a.spec.kind == FaultKind::DropLine) {
            End(a, true);
        }
    }
}

void FaultInjector::Tick() {
    ++m_tick;
    while (!m_held.empty() && m_held.front().first <= m_tick) {
        const char byte = m_held.front().second;
        m_held.pop_front();
        if (!Deaf() && m_line.send) {
            m_line.send(byte);
        }
    }
    for (auto a = m_acting.begin(); a != m_acting.end();) {
        if (a->endTick > 0 && a->endTick <= m_tick) {
            const Acting ended = *a;
            a = m_acting.erase(a);
            End(ended);
        } else {
            ++a;
        }
    }
    const auto due = std::stable_partition(m_pending.begin(), m_pending.end(), [this](auto& p) {
        return !(p.start.kind == FaultStart::Kind::AfterMs && TicksFor(p.start.value) <= m_tick);
    });
    const std::vector<PlannedFault> starting(due, m_pending.end());
    m_pending.erase(due, m_pending.end());
    for (const PlannedFault& p : starting) {
        Start(p.spec);
    }
}

void FaultInjector::OnExchange() {
    ++m_exchanges;
    const auto due = std::stable_partition(m_pending.begin(), m_pending.end(), [this](auto& p) {
        return !(p.start.kind == FaultStart::Kind::AtExchange && p.start.value <= m_exchanges);
    });
    const std::vector<PlannedFault> starting(due, m_pending.end());
    m_pending.erase(due, m_pending.end());
    for (const PlannedFault& p : starting) {
        Start(p.spec);
    }
}

std::optional<std::pair<FaultSpec, std::string>> FaultInjector::Use(FaultKind kind) {
    std::optional<std::pair<FaultSpec, std::string>> used;
    for (auto a = m_acting.begin(); a != m_acting.end();) {
        if (a->spec.kind != kind) {
            ++a;
            continue;
        }
        // Every every-N fault counts the block, whichever fault acts on it.
        if (a->spec.every > 0) {
            ++a->seen;
            if (!used && a->seen % a->spec.every == 0) {
                used.emplace(a->spec, "(block " + std::to_string(a->seen) + ")");
            }
            ++a;
            continue;
        }
        if (used) {
            ++a;
            continue;
        }
        const int n = a->spec.count - --a->left;
        used.emplace(a->spec,
                     "(" + std::to_string(n) + " of " + std::to_string(a->spec.count) + ")");
        a = a->left == 0 ? m_acting.erase(a) : a + 1;
    }
    return used;
}

bool FaultInjector::RefuseSelect() {
    const auto used = Use(FaultKind::RefuseSelect);
    if (used) {
        Record(used->first, "select answered with NAK " + used->second);
    }
    return used.has_value();
}

bool FaultInjector::NakBlock(std::string_view block) {
    const auto used = Use(FaultKind::NakBlock);
    if (used) {
        Record(used->first, std::string(block) + " answered with NAK " + used->second);
    }
    return used.has_value();
}

std::optional<std::int16_t> FaultInjector::BadCheck(std::int16_t right) {
    const auto used = Use(FaultKind::BadCheck);
    if (!used) {
        return std::nullopt;
    }
    const std::int16_t wrong = Spoilt(right);
    Record(used->first, "status transfer sent with check character " + Hex(wrong) + " instead of " +
                            Hex(right) + " " + used->second);
    return wrong;
}

bool FaultInjector::NoEot() {
    const auto used = Use(FaultKind::NoEot);
    if (used) {
        Record(used->first, "EOT after the status transfer left out " + used->second);
    }
    return used.has_value();
}

bool FaultInjector::Deaf() const {
    return std::any_of(m_acting.begin(), m_acting.end(),
                       [](const Acting& a) { return a.spec.kind == FaultKind::Silent; });
}

void FaultInjector::Dropped(std::size_t count) {
    for (Acting& a : m_acting) {
        if (a.spec.kind == FaultKind::Silent) {
            a.dropped += static_cast<std::int64_t>(count);
            return;
        }
    }
}

bool FaultInjector::TakesOutgoing(char byte) {
    if (Deaf()) {
        return true;
    }
    const auto delay = std::find_if(m_acting.begin(), m_acting.end(), [](const Acting& a) {
        return a.spec.kind == FaultKind::Delay;
    });
    if (delay == m_acting.end() && m_held.empty()) {
        return false;
    }
    // Once the delay is cleared, what it still holds goes first: the order on the line stays.
    const std::int64_t due = delay == m_acting.end() ? m_tick : m_tick + TicksFor(delay->spec.ms);
    m_held.emplace_back(due, byte);
    return true;
}

void FaultInjector::Record(const FaultSpec& spec, std::string detail,
                           std::optional<std::int64_t> startUs) {
    const std::int64_t now = Now();
    FaultEvent event{spec, FaultText(spec), startUs.value_or(now), now, std::move(detail)};
    if (m_log) {
        m_log("FAULT: " + event.text + ": " + event.detail);
    }
    m_events->OnFault(event);
    m_taken.push_back(std::move(event));
}

std::vector<std::string> FaultInjector::PendingTexts() const {
    std::vector<std::string> texts;
    for (const PlannedFault& p : m_pending) {
        texts.push_back(StartText(p.start) + " " + FaultText(p.spec));
    }
    return texts;
}

std::vector<std::string> FaultInjector::ActiveTexts() const {
    std::vector<std::string> texts;
    for (const Acting& a : m_acting) {
        std::string text = FaultText(a.spec);
        if (a.endTick > 0) {
            text += " (" + std::to_string((a.endTick - m_tick) * kTickMs) + " ms left)";
        } else if (a.spec.every > 0) {
            text += " (" + std::to_string(a.seen) + " blocks seen)";
        } else if (a.spec.kind != FaultKind::Delay) {
            text += " (" + std::to_string(a.left) + " left)";
        }
        texts.push_back(text);
    }
    return texts;
}

}  // namespace espa
