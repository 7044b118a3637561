#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calls/status_plan.h"
#include "core/engine_events.h"
#include "core/make_variant.h"

namespace espa {

class CallRecords;
struct CallPosition;
class CallTable;
class EventLog;
class OperatorView;
struct SettingsRecord;

// Status requests (blocks of type 3) and the data of status transfers (blocks of type 2).
class StatusExchange {
  public:
    StatusExchange(CallTable& table, CallRecords& records, const SettingsRecord& settings,
                   EventLog& log, OperatorView& view);

    // The position whose six fields equal the request's, preferring NIEUW/QUEUE ones; -1 if none.
    std::int16_t AnswerStatusRequest(const std::string& block);

    // The data part of the status transfer for position p (0..9), ending with ETX; records the
    // reported status word in the position.
    std::string SendStatusTransfer(std::int16_t p);

    // Plans that answer in place of the operator's choice for the calls they match; none: the
    // operator's choice holds. Every call held starts the new plans from their first step.
    void SetStatusPlans(std::vector<StatusPlan> plans);
    const std::vector<StatusPlan>& StatusPlans() const { return m_plans; }

    // Who is told of each status request and status transfer; must outlive this object.
    void SetEvents(EngineEvents& events) { m_events = &events; }

  private:
    struct ReportedStatus {
        std::string code;
        std::string word;  // recorded in the position
    };
    ReportedStatus ChooseStatus(StatusCoding coding, CallPosition& position);

    CallTable& m_table;
    CallRecords& m_records;
    const SettingsRecord& m_settings;
    EventLog& m_log;
    OperatorView& m_view;
    EngineEvents* m_events = &NoEngineEvents();
    std::vector<StatusPlan> m_plans;
};

}  // namespace espa
