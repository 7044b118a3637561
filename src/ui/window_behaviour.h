#pragma once

class QEvent;
class QRect;
class QWidget;

namespace espa::ui {

// Whether `event` says that the shown `window` stopped being active because another window of
// this program became active. Switching to another program is no reason to beep.
bool LostActivationToOwnWindow(const QWidget& window, const QEvent& event);

// Moves `window` so that its frame is centred on `area`.
void CentreFrameOn(QWidget& window, const QRect& area);

}  // namespace espa::ui
