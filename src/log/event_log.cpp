#include "log/event_log.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace espa {
namespace {

bool AppendLine(const std::filesystem::path& file, const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out.is_open()) {
        return false;
    }
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.write("\r\n", 2);
    out.close();
    return !out.fail();
}

}  // namespace

EventLog::EventLog(const SettingsRecord& settings, const Clock& clock, std::filesystem::path appDir,
                   LogLines& lines)
    : m_settings(settings), m_clock(clock), m_appDir(std::move(appDir)), m_lines(lines) {}

std::string EventLog::DailyFileName(const LocalDateTime& now) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%04d.log", now.day, now.month, now.year);
    return name;
}

std::string EventLog::FormatLine(const LocalDateTime& now, const std::string& text) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d ", now.hour, now.minute, now.second);
    return time + text;
}

void EventLog::WriteLog(const std::string& text) {
    // Level 0 keeps nothing, so the line is not even built: the handler logs on every exchange.
    if (m_settings.Logfile == 0) {
        return;
    }
    const LocalDateTime now = m_clock.Now();
    const std::string line = FormatLine(now, text);
    m_lines.AddLogLine(line);
    if (m_settings.Logfile < 2) {
        return;
    }
    AppendToDailyFile("Log", now, line);
}

void EventLog::WriteDebugLog(const std::string& text) {
    const LocalDateTime now = m_clock.Now();
    AppendToDailyFile("DebugLog", now, FormatLine(now, text));
}

// One repair per call: a missing folder is created, a missing file is created empty, and the
// append is tried once more. Anything else loses the line for the file, silently.
void EventLog::AppendToDailyFile(const char* folder, const LocalDateTime& now,
                                 const std::string& line) {
    const std::filesystem::path dir = m_appDir / folder;
    const std::filesystem::path file = dir / DailyFileName(now);
    if (AppendLine(file, line)) {
        return;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        if (!std::filesystem::create_directory(dir, ec)) {
            return;
        }
    } else if (!std::filesystem::exists(file, ec)) {
        std::ofstream create(file, std::ios::binary);
        if (!create.is_open()) {
            return;
        }
    } else {
        return;
    }
    AppendLine(file, line);
}

}  // namespace espa
