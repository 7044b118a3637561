#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "calls/status_plan.h"

namespace espa {

// Status words a position can hold.
inline constexpr const char* kStatusNew = "NIEUW";
inline constexpr const char* kStatusQueue = "QUEUE";
inline constexpr const char* kStatusPaged = "PAGED";
inline constexpr const char* kStatusAbsent = "ABSENT";
inline constexpr const char* kStatusTerminated = "TERMINATED";
inline constexpr const char* kStatusError = "ERROR";

// One call position: the fields of one call record plus what the emulator reported for it.
struct CallPosition {
    std::string Adres;
    std::string Info;
    std::string Bleep;
    std::string CallType;
    std::string NrOfTx;
    std::string Priority;
    std::string ReturnedStatus;
    std::int16_t BufferTime = 0;     // 60 when stored, counted down to 1 (expired); 0 when free
    std::int16_t StatusPending = 0;  // 1 while the central is owed a status
    // Seconds since the call was stored; unlike BufferTime it goes on counting past expiry, as a
    // status plan may keep a call in QUEUE for longer than the table keeps it fresh.
    std::int32_t AgeSeconds = 0;
    StatusPlanProgress Plan{};  // touched only while a status plan is set

    bool IsFree() const { return ReturnedStatus.empty() && Adres.empty(); }
    bool operator==(const CallPosition&) const = default;
};

// The ten call positions; position 0 is the top row of the window.
class CallTable {
  public:
    static constexpr int kPositions = 10;
    static constexpr std::int16_t kStoreTime = 60;

    static bool IsValidPosition(int p) { return p >= 0 && p < kPositions; }

    CallPosition& operator[](int p) { return m_positions.at(p); }
    const CallPosition& operator[](int p) const { return m_positions.at(p); }

    // Empties every position.
    void InitCallTable();
    void ClearPosition(std::int16_t p);
    void DeletePosition(std::int16_t p);
    // The position for a new call, or -1; may delete one entry to make room.
    std::int16_t FindFreePosition();
    // The one-second ageing step.
    void AgeCallTable();
    // Every non-empty word the program never writes becomes "ERROR", so that it counts as a final
    // answer from then on. Applied before each refresh of the view (see RefreshCallPositions).
    void MarkUnknownStatusWords();

  private:
    std::array<CallPosition, kPositions> m_positions{};
};

// A word that no longer waits for a final answer: PAGED, ABSENT, TERMINATED or ERROR.
bool IsFinalStatus(const std::string& word);
// NIEUW or QUEUE.
bool IsOpenStatus(const std::string& word);
// A word the emulator reported to the central: QUEUE, PAGED, ABSENT or TERMINATED. Only a call
// holding one may be deleted by the operator; ERROR may not.
bool IsDeletableStatus(const std::string& word);

}  // namespace espa
