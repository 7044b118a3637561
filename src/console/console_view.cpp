#include "console_view.h"

#include <array>
#include <cctype>

#include "log/line_trace.h"
#include "log/log_lines.h"

namespace espa {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kStatusOptions{{
    {"paged", "PAGED"},
    {"absent", "ABSENT"},
    {"queue", "QUEUE"},
    {"terminated", "TERMINATED"},
}};

}  // namespace

ConsoleView::ConsoleView(std::string selectedStatus, std::ostream& out)
    : m_selectedStatus(std::move(selectedStatus)), m_out(out) {}

std::optional<std::string> ConsoleView::StatusFromOption(std::string_view option) {
    std::string lower;
    for (char c : option) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const auto& [name, word] : kStatusOptions) {
        if (lower == name) {
            return std::string(word);
        }
    }
    return std::nullopt;
}

std::string ConsoleView::RenderLine(std::string_view line) {
    return VisibleText(line);
}

void ConsoleView::Attach(LogLines& lines) {
    lines.SetObserver([this](const std::string& line) { Print(line); });
}

void ConsoleView::Print(const std::string& line) {
    m_out << RenderLine(line) << '\n' << std::flush;
}

}  // namespace espa
