#pragma once

#include <filesystem>
#include <string>

#include "core/clock.h"
#include "core/settings_record.h"
#include "log/log_lines.h"

namespace espa {

// The event log (screen store and daily file under Log/) and the debug log (daily file under
// DebugLog/). Neither ever reports a failure to its caller: a log must not stop the line.
class EventLog {
  public:
    EventLog(const SettingsRecord& settings, const Clock& clock, std::filesystem::path appDir,
             LogLines& lines);

    // Level 0: nothing. Level 1: the screen store. Level 2 and above: the store and the file.
    void WriteLog(const std::string& text);

    // Appends to the debug-log file whatever the level; its caller tests the level.
    void WriteDebugLog(const std::string& text);

    const std::filesystem::path& AppDir() const { return m_appDir; }

    // "ddmmyyyy.log" for the given date.
    static std::string DailyFileName(const LocalDateTime& now);
    // "HH:MM:SS" + blank + text.
    static std::string FormatLine(const LocalDateTime& now, const std::string& text);

  private:
    void AppendToDailyFile(const char* folder, const LocalDateTime& now, const std::string& line);

    const SettingsRecord& m_settings;
    const Clock& m_clock;
    std::filesystem::path m_appDir;
    LogLines& m_lines;
};

}  // namespace espa
