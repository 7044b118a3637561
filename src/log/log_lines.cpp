#include "log/log_lines.h"

#include <algorithm>

namespace espa {

void LogLines::Clear() {
    m_lines.fill({});
    m_count = 0;
}

void LogLines::AddLogLine(const std::string& line) {
    if (m_count < kLineCount) {
        m_lines[m_count++] = line;
    } else {
        std::move(m_lines.begin() + 1, m_lines.end(), m_lines.begin());
        m_lines.back() = line;
    }
    if (m_observer) {
        m_observer(line);
    }
}

}  // namespace espa
