// What users and other programs type or hand over: a fault, a fault plan, a status plan, a report's
// JSON. The first byte picks which; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calls/status_plan.h"
#include "faults/fault_plan.h"
#include "faults/fault_text.h"
#include "report/report_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string error;
    // Whatever is taken must read back the same from the text the program shows for it.
    switch (data[0] % 4) {
        case 0:
            if (const auto spec = espa::ParseFaultSpec(text, error)) {
                const auto again = espa::ParseFaultSpec(espa::FaultText(*spec), error);
                if (!again || !(*again == *spec)) {
                    __builtin_trap();
                }
            }
            break;
        case 1:
            espa::ParseFaultPlan(text, "plan", error);
            break;
        case 2:
            if (const auto plan = espa::StatusPlan::Parse(text, error)) {
                const auto again = espa::StatusPlan::Parse(plan->Text(), error);
                if (!again || again->Text() != plan->Text()) {
                    __builtin_trap();
                }
            }
            break;
        default:
            if (const auto report = espa::ParseReportJson(text, error)) {
                const auto again = espa::ParseReportJson(espa::ReportToJson(*report), error);
                if (!again || !(*again == *report)) {
                    __builtin_trap();
                }
            }
    }
    return 0;
}
