#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "calls/call_records.h"
#include "calls/call_table.h"
#include "calls/status_exchange.h"
#include "core/control_chars.h"
#include "core/settings_record.h"
#include "fixed_clock.h"
#include "log/event_log.h"
#include "log/log_lines.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {

using Field = std::pair<char, std::string>;

// The data part of a block: identifier, US, value, RS between fields, ETX at the end.
inline std::string DataPart(std::initializer_list<Field> fields) {
    std::string data;
    bool first = true;
    for (const Field& f : fields) {
        if (!first) {
            data += RS;
        }
        first = false;
        data += f.first;
        data += US;
        data += f.second;
    }
    return data + ETX;
}

// A whole block as the handler passes it: SOH, type digit, STX, data, the check character
// (exclusive-or of everything after SOH up to and including ETX), computed here on its own.
inline std::string Block(char type, const std::string& data) {
    std::string body = std::string(1, type) + STX + data;
    char check = 0;
    for (char c : body) {
        check = static_cast<char>(check ^ c);
    }
    return std::string(1, SOH) + body + check;
}

inline std::string CallBlock(std::initializer_list<Field> fields) {
    return Block('1', DataPart(fields));
}

inline std::string RequestBlock(std::initializer_list<Field> fields) {
    return Block('3', DataPart(fields));
}

// One emulator's call-handling parts, wired as in the program, with the event log at level 1 so
// every line lands in the screen store where the test can read it.
class CallsTest : public ::testing::Test {
  protected:
    CallsTest() { settings.Logfile = 1; }

    // The logged texts without their time stamps.
    std::vector<std::string> LoggedTexts() const {
        const std::string stamp = EventLog::FormatLine(clock.now, "");
        std::vector<std::string> texts;
        for (int i = 0; i < lines.LogLineCount(); ++i) {
            const std::string& line = lines.Line(i);
            EXPECT_EQ(line.substr(0, stamp.size()), stamp);
            texts.push_back(line.substr(stamp.size()));
        }
        return texts;
    }

    void SetMode(Emulation mode) { settings.Emulatie = static_cast<std::int16_t>(mode); }

    // A position filled directly, as a stored call would be.
    void Put(int p, const std::string& adres, const std::string& word,
             std::int16_t bufferTime = CallTable::kStoreTime) {
        table[p].Adres = adres;
        table[p].ReturnedStatus = word;
        table[p].BufferTime = bufferTime;
        table[p].StatusPending = 1;
    }

    void FillWithNewCalls() {
        for (int p = 0; p < CallTable::kPositions; ++p) {
            Put(p, "10" + std::to_string(p), kStatusNew);
        }
    }

    TempDir dir;
    FixedClock clock;
    SettingsRecord settings;
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
    CallTable table;
    RecordingView view;
    CallRecords records{table, log, view};
    StatusExchange status{table, records, settings, log, view};
    std::int16_t currentPosition = -1;
};

}  // namespace espa::test
