#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace espa {

// The ten lines of the screen log. Fills from the top; once full the oldest line scrolls off and
// the newest is always at the bottom.
class LogLines {
  public:
    static constexpr int kLineCount = 10;

    void Clear();
    void AddLogLine(const std::string& line);

    const std::array<std::string, kLineCount>& Lines() const { return m_lines; }
    const std::string& Line(int index) const { return m_lines.at(index); }
    std::int16_t LogLineCount() const { return m_count; }

    // Called with every stored line as it is stored; a headless run prints it at once.
    void SetObserver(std::function<void(const std::string&)> observer) {
        m_observer = std::move(observer);
    }

  private:
    std::array<std::string, kLineCount> m_lines{};
    std::int16_t m_count = 0;
    std::function<void(const std::string&)> m_observer;
};

}  // namespace espa
