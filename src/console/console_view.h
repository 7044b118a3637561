#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "core/operator_view.h"

namespace espa {

// The operator's side of a headless run: the status choice is fixed on the command line, and
// every line of the screen log is printed as soon as it is stored. Lines carry the bytes of the
// line as received, so they are made safe for a terminal on the way out.
class ConsoleView final : public OperatorView {
  public:
    ConsoleView(std::string selectedStatus, std::ostream& out);

    // "paged", "absent", "queue", "terminated" (any case) to the status word; nothing else.
    static std::optional<std::string> StatusFromOption(std::string_view option);

    // A log line as UTF-8 text: control bytes (0x00-0x1F, 0x7F) by their trace names ("[ETX]"),
    // 0x80-0x9F as "[0x85]", every other byte as the Latin-1 character it stands for.
    static std::string RenderLine(std::string_view line);

    // Prints every line stored in `lines` from now on.
    void Attach(LogLines& lines);

    // Nothing to show: the operator lists the calls with the "calls" command.
    void ShowCallPositions(const CallTable&) override {}
    std::string GetSelectedStatus() override { return m_selectedStatus; }
    // The operator's new choice (a status word), read at the next status transfer.
    void SetSelectedStatus(std::string word) { m_selectedStatus = std::move(word); }
    void UpdateMessageWindow(const LogLines&) override {}
    void SetPortCaption(const std::string& caption) override { m_portCaption = caption; }
    void SetRtsToolTip(const std::string&) override {}
    void ShowLamps(const LampState&) override {}
    void SetWindowHeightTwips(int) override {}
    void Beep() override {}

    const std::string& PortCaption() const { return m_portCaption; }

  private:
    void Print(const std::string& line);

    std::string m_selectedStatus;
    std::ostream& m_out;
    std::string m_portCaption;
};

}  // namespace espa
