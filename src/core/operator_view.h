#pragma once

#include <string>

namespace espa {

class CallTable;
class LogLines;
struct LampState;

// What the engine asks of the operator's window. A headless run gives a console view, tests a
// recorder. The engine never learns whether a window exists.
class OperatorView {
  public:
    virtual ~OperatorView() = default;

    // Refreshes the ten grid rows from the table. Only looks: the engine has applied its rules to
    // the table before it asks.
    virtual void ShowCallPositions(const CallTable& table) = 0;
    // "QUEUE", "PAGED", "ABSENT", "TERMINATED", or empty when no choice is made.
    virtual std::string GetSelectedStatus() = 0;
    // Copies the screen-log store to the log window.
    virtual void UpdateMessageWindow(const LogLines& lines) = 0;
    // Caption of the serial-port frame.
    virtual void SetPortCaption(const std::string& caption) = 0;
    // Tool tip of the RTS label; empty for none.
    virtual void SetRtsToolTip(const std::string& toolTip) = 0;
    // The four lamps, after each lamp tick.
    virtual void ShowLamps(const LampState& lamps) = 0;
    // Outer height of the main window, in twips.
    virtual void SetWindowHeightTwips(int twips) = 0;
    virtual void Beep() = 0;
};

}  // namespace espa
