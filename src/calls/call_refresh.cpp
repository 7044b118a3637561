#include "calls/call_refresh.h"

#include "calls/call_table.h"
#include "core/operator_view.h"

namespace espa {

void RefreshCallPositions(OperatorView& view, CallTable& table) {
    table.MarkUnknownStatusWords();
    view.ShowCallPositions(table);
}

}  // namespace espa
