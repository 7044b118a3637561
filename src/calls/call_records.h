#pragma once

#include <cstdint>
#include <string>

#include "core/engine_events.h"

namespace espa {

class CallTable;
class EventLog;
class OperatorView;

// Taking call records (blocks of type 1) apart and storing them in the call table.
class CallRecords {
  public:
    CallRecords(CallTable& table, EventLog& log, OperatorView& view);

    // The value of data identifier `identifier` ("1".."6"): the first occurrence wins, up to the
    // first RS or ETX after it. Bytes are kept exactly as received.
    std::string ExtractField(const std::string& block, const std::string& identifier);

    // Stores the call as "NIEUW", pending, in the position FindFreePosition chooses (the bottom row
    // when the table is full of unanswered calls); logs one line, refreshes the view. Returns the
    // position, never negative.
    std::int16_t StoreCall(const std::string& block);

    // Who is told of each stored call; the observer must outlive this object.
    void SetEvents(EngineEvents& events) { m_events = &events; }

  private:
    CallTable& m_table;
    EventLog& m_log;
    OperatorView& m_view;
    EngineEvents* m_events = &NoEngineEvents();
};

}  // namespace espa
