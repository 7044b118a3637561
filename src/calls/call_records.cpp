#include "calls/call_records.h"

#include "calls/call_refresh.h"
#include "calls/call_table.h"
#include "core/control_chars.h"
#include "core/operator_view.h"
#include "log/event_log.h"

namespace espa {
namespace {

// One optional part of the call's log line: left out when the field is empty.
std::string LogPart(const char* label, const std::string& value) {
    return value.empty() ? std::string() : label + value + "]";
}

}  // namespace

CallRecords::CallRecords(CallTable& table, EventLog& log, OperatorView& view)
    : m_table(table), m_log(log), m_view(view) {}

std::string CallRecords::ExtractField(const std::string& block, const std::string& identifier) {
    const std::string key = identifier + US;
    const std::size_t at = block.find(key);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + key.size();
    // The value ends at whichever separator comes first; searching for both at once keeps a
    // missing RS from pushing the end past the ETX.
    const char separators[] = {RS, ETX};
    const std::size_t end = block.find_first_of(separators, start, sizeof separators);
    if (end == std::string::npos) {
        m_log.WriteLog("For Espa Identifier " + identifier + " No RS or ETX found.");
        return {};
    }
    return block.substr(start, end - start);
}

std::int16_t CallRecords::StoreCall(const std::string& block) {
    std::int16_t p = m_table.FindFreePosition();
    if (p < 0) {
        // Every row holds an unexpired, unanswered call: the newest call wins the bottom row.
        p = CallTable::kPositions - 1;
    }

    CallPosition& position = m_table[p];
    position.BufferTime = CallTable::kStoreTime;
    // The row may be reused from a call that was overwritten.
    position.AgeSeconds = 0;
    position.Plan = {};
    position.ReturnedStatus.clear();
    position.Adres = ExtractField(block, "1");
    position.Info = ExtractField(block, "2");
    position.Bleep = ExtractField(block, "3");
    position.CallType = ExtractField(block, "4");
    position.NrOfTx = ExtractField(block, "5");
    position.Priority = ExtractField(block, "6");
    position.ReturnedStatus = kStatusNew;
    position.StatusPending = 1;

    m_log.WriteLog(
        "Call (SOH1) to pager: [" + position.Adres + "]" + LogPart(" Info: [", position.Info) +
        LogPart(" Bleep: [", position.Bleep) + LogPart(" NrOfTx: [", position.NrOfTx) +
        LogPart(" Priority: [", position.Priority) + LogPart(" Calltype: [", position.CallType));

    m_events->OnCallStored(p, position);
    RefreshCallPositions(m_view, m_table);
    return p;
}

}  // namespace espa
