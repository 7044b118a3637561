#pragma once

#include <functional>
#include <string>

#include "core/operator_view.h"

namespace espa {

// Passes everything on to the operator's view, adding to the port frame's caption what the
// engine cannot know: for a network line, the address it runs over. The engine's caption
// ("Serial Port Com1:  9600,N,8,1") stays as it is in front.
class PortCaptionView final : public OperatorView {
  public:
    // `suffix` gives the text to add after the caption, empty for none.
    PortCaptionView(OperatorView& view, std::function<std::string()> suffix)
        : m_view(view), m_suffix(std::move(suffix)) {}

    void ShowCallPositions(const CallTable& table) override { m_view.ShowCallPositions(table); }
    std::string GetSelectedStatus() override { return m_view.GetSelectedStatus(); }
    void UpdateMessageWindow(const LogLines& lines) override { m_view.UpdateMessageWindow(lines); }
    void SetPortCaption(const std::string& caption) override {
        m_view.SetPortCaption(caption + (m_suffix ? m_suffix() : std::string()));
    }
    void SetRtsToolTip(const std::string& toolTip) override { m_view.SetRtsToolTip(toolTip); }
    void ShowLamps(const LampState& lamps) override { m_view.ShowLamps(lamps); }
    void SetWindowHeightTwips(int twips) override { m_view.SetWindowHeightTwips(twips); }
    void Beep() override { m_view.Beep(); }

  private:
    OperatorView& m_view;
    std::function<std::string()> m_suffix;
};

}  // namespace espa
