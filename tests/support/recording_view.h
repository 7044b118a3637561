#pragma once

#include <string>
#include <vector>

#include "calls/call_table.h"
#include "core/operator_view.h"
#include "log/log_lines.h"
#include "serial/lamp_state.h"

namespace espa::test {

// An operator view that records what the engine asked of it and answers GetSelectedStatus with
// whatever the test chose.
class RecordingView final : public OperatorView {
  public:
    void ShowCallPositions(const CallTable&) override { ++showCallPositionsCount; }
    std::string GetSelectedStatus() override { return selectedStatus; }
    void UpdateMessageWindow(const LogLines& lines) override {
        ++updateMessageWindowCount;
        shownLines = lines.Lines();
    }
    void SetPortCaption(const std::string& caption) override { portCaption = caption; }
    void SetRtsToolTip(const std::string& toolTip) override { rtsToolTip = toolTip; }
    void ShowLamps(const LampState&) override { ++showLampsCount; }
    void SetWindowHeightTwips(int twips) override { windowHeightTwips = twips; }
    void Beep() override { ++beeps; }

    std::string selectedStatus = "PAGED";
    int showCallPositionsCount = 0;
    int updateMessageWindowCount = 0;
    std::array<std::string, LogLines::kLineCount> shownLines{};
    std::string portCaption = "Serial Port: X";
    std::string rtsToolTip = "RTS status, click on text to change";
    int showLampsCount = 0;
    int windowHeightTwips = 0;
    int beeps = 0;
};

}  // namespace espa::test
