#pragma once

namespace espa {

class CallTable;
class OperatorView;

// The only way the engine refreshes the view's call positions: the table's rules first (an
// unknown word becomes ERROR), then the view is shown the result. So the screen and the line
// always agree on what a word means, whichever view there is, or none.
void RefreshCallPositions(OperatorView& view, CallTable& table);

}  // namespace espa
