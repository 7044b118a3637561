#include "calls/call_table.h"

namespace espa {

void CallTable::InitCallTable() {
    for (int p = 0; p < kPositions; ++p) {
        ClearPosition(static_cast<std::int16_t>(p));
    }
}

void CallTable::ClearPosition(std::int16_t p) {
    if (!IsValidPosition(p)) {
        return;
    }
    m_positions[p] = CallPosition{};
}

// The rows below move up as whole records, so a call never ends up with another call's status,
// timer or pending flag.
void CallTable::DeletePosition(std::int16_t p) {
    if (!IsValidPosition(p)) {
        return;
    }
    for (int j = p; j < kPositions - 1; ++j) {
        m_positions[j] = m_positions[j + 1];
    }
    ClearPosition(kPositions - 1);
}

// Room is made in a fixed order of sacrifice: first a call that has expired (even one never
// answered), only then a finally answered one. Each pass deletes at most one entry; since the
// table is compact the freed row is the bottom one.
std::int16_t CallTable::FindFreePosition() {
    const auto firstFree = [this]() -> std::int16_t {
        for (int p = 0; p < kPositions; ++p) {
            if (m_positions[p].IsFree()) {
                return static_cast<std::int16_t>(p);
            }
        }
        return -1;
    };

    if (const std::int16_t p = firstFree(); p >= 0) {
        return p;
    }
    for (int p = 0; p < kPositions; ++p) {
        if (m_positions[p].BufferTime == 1) {
            DeletePosition(static_cast<std::int16_t>(p));
            break;
        }
    }
    if (const std::int16_t p = firstFree(); p >= 0) {
        return p;
    }
    for (int p = 0; p < kPositions; ++p) {
        const std::string& word = m_positions[p].ReturnedStatus;
        if (!word.empty() && !IsOpenStatus(word)) {
            DeletePosition(static_cast<std::int16_t>(p));
            break;
        }
    }
    return firstFree();
}

// Counting stops at 1, which marks the call as expired; 0 marks a free position and stays.
void CallTable::AgeCallTable() {
    for (CallPosition& position : m_positions) {
        if (position.BufferTime > 1) {
            --position.BufferTime;
        }
        if (!position.IsFree()) {
            ++position.AgeSeconds;
        }
    }
}

void CallTable::MarkUnknownStatusWords() {
    for (CallPosition& position : m_positions) {
        std::string& word = position.ReturnedStatus;
        if (!word.empty() && word != kStatusNew && !IsDeletableStatus(word)) {
            word = kStatusError;
        }
    }
}

bool IsFinalStatus(const std::string& word) {
    return word == kStatusPaged || word == kStatusAbsent || word == kStatusTerminated ||
           word == kStatusError;
}

bool IsOpenStatus(const std::string& word) {
    return word == kStatusNew || word == kStatusQueue;
}

bool IsDeletableStatus(const std::string& word) {
    return word == kStatusQueue || word == kStatusPaged || word == kStatusAbsent ||
           word == kStatusTerminated;
}

}  // namespace espa
