#include "calls/status_exchange.h"

#include <array>

#include "calls/call_records.h"
#include "calls/call_refresh.h"
#include "calls/call_table.h"
#include "core/control_chars.h"
#include "core/make_variant.h"
#include "core/num_text.h"
#include "core/operator_view.h"
#include "core/settings_record.h"
#include "log/event_log.h"

namespace espa {
namespace {

using RequestFields = std::array<std::string, 6>;

bool SameFields(const CallPosition& position, const RequestFields& fields) {
    return position.Adres == fields[0] && position.Info == fields[1] &&
           position.Bleep == fields[2] && position.CallType == fields[3] &&
           position.NrOfTx == fields[4] && position.Priority == fields[5];
}

// The fields of data identifiers 1 to 6.
constexpr std::array<std::string CallPosition::*, 6> kFieldOf{
    &CallPosition::Adres,    &CallPosition::Info,   &CallPosition::Bleep,
    &CallPosition::CallType, &CallPosition::NrOfTx, &CallPosition::Priority};

void AppendField(std::string& text, char identifier, const std::string& value) {
    if (value.empty()) {
        return;
    }
    text += identifier;
    text += US;
    text += value;
    text += RS;
}

}  // namespace

StatusExchange::StatusExchange(CallTable& table, CallRecords& records,
                               const SettingsRecord& settings, EventLog& log, OperatorView& view)
    : m_table(table), m_records(records), m_settings(settings), m_log(log), m_view(view) {}

// Calls still waiting for an answer are preferred; only when none of them fits is the whole table
// searched, so a repeated request for an answered call still finds it.
std::int16_t StatusExchange::AnswerStatusRequest(const std::string& block) {
    RequestFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = m_records.ExtractField(block, std::string(1, static_cast<char>('1' + i)));
    }
    const std::string& pager = fields[0];

    const auto search = [&](bool openOnly) -> std::int16_t {
        for (int p = 0; p < CallTable::kPositions; ++p) {
            const CallPosition& position = m_table[p];
            if (SameFields(position, fields) &&
                (!openOnly || IsOpenStatus(position.ReturnedStatus))) {
                return static_cast<std::int16_t>(p);
            }
        }
        return -1;
    };

    std::int16_t found = search(true);
    if (found < 0) {
        m_log.WriteLog("DEBUG: StatusRequest for Pager [" + pager +
                       "]. No new data found. Searching buffer!");
        found = search(false);
    }
    if (found < 0) {
        m_log.WriteLog("DEBUG: StatusRequest for Pager [" + pager + "] Not found!");
        m_events->OnStatusRequest(pager, -1);
        return -1;
    }
    m_log.WriteLog("StatusRequest (SOH3) for Pager: [" + pager + "] found on Position " +
                   SignedNumText(found));
    m_events->OnStatusRequest(pager, found);
    return found;
}

void StatusExchange::SetStatusPlans(std::vector<StatusPlan> plans) {
    m_plans = std::move(plans);
    for (int p = 0; p < CallTable::kPositions; ++p) {
        m_table[p].Plan = {};
    }
}

// The operator's choice (or the plan that speaks for the operator) is asked for only by the
// makes that report it, once per transfer: a plan counts the transfers it answers.
StatusExchange::ReportedStatus StatusExchange::ChooseStatus(StatusCoding coding,
                                                            CallPosition& position) {
    const std::string adres = "Adres [" + position.Adres + "]";
    const StatusPlan* plan = PlanFor(m_plans, position.Adres);
    const auto choose = [&] {
        return plan != nullptr ? plan->Next(position.Plan, position.AgeSeconds)
                               : m_view.GetSelectedStatus();
    };
    // Said in the log, so a run can be read back without knowing which plans were set.
    const std::string by = plan != nullptr ? " (status plan " + plan->Text() + ")" : "";
    switch (coding) {
        case StatusCoding::AlwaysPaged:
            m_log.WriteLog("StatusSend CommTechWireLess is ONLY PAGED for " + adres);
            return {"3", kStatusPaged};
        case StatusCoding::DataCall: {
            const std::string choice = choose();
            return {choice == kStatusPaged ? "2" : choice == kStatusTerminated ? "5" : "4", ""};
        }
        case StatusCoding::ByChoice:
            break;
    }
    ReportedStatus status;
    status.word = choose();
    if (status.word == kStatusQueue) {
        status.code = "2";
    } else if (status.word == kStatusPaged) {
        status.code = "3";
    } else if (status.word == kStatusAbsent) {
        status.code = "4";
    } else if (status.word == kStatusTerminated) {
        status.code = "5";
    }
    if (status.code.empty()) {
        m_log.WriteLog("StatusSend ERROR, set to TERMINATED " + adres);
        status.code = "5";
    } else {
        m_log.WriteLog("StatusSend " + status.word + " for " + adres + by);
    }
    return status;
}

std::string StatusExchange::SendStatusTransfer(std::int16_t p) {
    // The handler only asks for a valid position; should it ever not, the central still gets a
    // well-formed transfer without call fields instead of the program ending on a bad index.
    CallPosition none;
    const bool valid = CallTable::IsValidPosition(p);
    CallPosition& position = valid ? m_table[p] : none;

    const MakeVariant& variant = VariantOf(m_settings);
    std::string text;
    for (int i = 0; i < variant.echoedIdentifiers; ++i) {
        AppendField(text, static_cast<char>('1' + i), position.*kFieldOf[i]);
    }

    const ReportedStatus status = ChooseStatus(variant.statusCoding, position);
    position.ReturnedStatus = status.word;
    text += '7';
    text += US;
    text += status.code;
    text += ETX;
    // The handler sends the transfer in the same step as it asks for it.
    m_events->OnStatusSent(p, position, status.code);
    RefreshCallPositions(m_view, m_table);
    return text;
}

}  // namespace espa
