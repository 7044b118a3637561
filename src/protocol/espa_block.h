#pragma once

#include <cstdint>
#include <string>

namespace espa {

class CallTable;
class Datacom;
class EventLog;

// The check character of a block: the exclusive-or of every byte after the last SOH that stands
// before the first ETX, up to and including that ETX. False when there is no ETX.
bool ComputeBlockCheck(const std::string& text, std::uint8_t& check);

// Block framing helpers: testing a received block, reading its type, sending with the running
// transmit check, and finding a call still owed a status.
class EspaBlock {
  public:
    EspaBlock(Datacom& datacom, EventLog& log, CallTable& table);

    // 1 for a block with ETX followed by the right check character; -1 otherwise (logged).
    std::int16_t TestBlock(const std::string& text);
    // The digit after the first SOH (0 when none).
    static std::int16_t BlockType(const std::string& text);

    std::int16_t SendCharChecked(std::int16_t code);
    std::int16_t SendTextChecked(const std::string& text);

    // The lowest position whose StatusPending is 1, or -1.
    std::int16_t FindPendingPosition() const;

    // The running exclusive-or of the bytes sent since it was last set to 0.
    std::int16_t TxCheck = 0;

  private:
    Datacom& m_datacom;
    EventLog& m_log;
    CallTable& m_table;
};

}  // namespace espa
