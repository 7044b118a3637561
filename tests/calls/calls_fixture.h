#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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
using Fields = std::vector<Field>;
using Texts = std::vector<std::string>;

// Fields as a status transfer echoes them: identifier, US, value, RS after each.
inline std::string Echo(const Fields& fields) {
    std::string text;
    for (const auto& [id, value] : fields) {
        text += std::string(1, id) + US + value + RS;
    }
    return text;
}

// The status part that ends every transfer.
inline std::string Status7(const std::string& code) {
    return std::string("7") + US + code + ETX;
}

// A whole block as the handler passes it: SOH, type digit, STX, the fields with RS between them,
// ETX and the check character (exclusive-or of everything after SOH up to ETX), computed here.
inline std::string Block(char type, const Fields& fields) {
    std::string body = std::string(1, type) + STX + Echo(fields);
    if (!fields.empty()) {
        body.pop_back();
    }
    body += ETX;
    char check = 0;
    for (char c : body) {
        check = static_cast<char>(check ^ c);
    }
    return std::string(1, SOH) + body + check;
}

inline std::string CallBlock(const Fields& fields) {
    return Block('1', fields);
}
inline std::string RequestBlock(const Fields& fields) {
    return Block('3', fields);
}

// The six fields every "full" position and request in these tests carry.
inline const Fields kSix{{'1', "1234"}, {'2', "Hello"}, {'3', "2"},
                         {'4', "T"},    {'5', "N"},     {'6', "P"}};

// One emulator's call-handling parts, wired as in the program, with the event log at level 1 so
// every line lands in the screen store where the test can read it.
class CallsTest : public ::testing::Test {
  protected:
    CallsTest() { settings.Logfile = 1; }

    // The logged texts without their time stamps.
    Texts LoggedTexts() const {
        const std::string stamp = EventLog::FormatLine(clock.now, "");
        Texts texts;
        for (int i = 0; i < lines.LogLineCount(); ++i) {
            EXPECT_EQ(lines.Line(i).substr(0, stamp.size()), stamp);
            texts.push_back(lines.Line(i).substr(stamp.size()));
        }
        return texts;
    }

    // An empty table and an empty screen log, as at start-up.
    void Reset() {
        table.InitCallTable();
        lines.Clear();
    }

    void SetMode(Emulation mode) { settings.Emulatie = static_cast<std::int16_t>(mode); }

    // A position filled directly, as a stored call would be.
    void Put(int p, const std::string& adres, const std::string& word,
             std::int16_t bufferTime = CallTable::kStoreTime) {
        table[p] = {adres, "", "", "", "", "", word, bufferTime, 1};
    }

    // A position holding the six fields of kSix.
    void PutSix(int p, const std::string& word) {
        table[p] = {"1234", "Hello", "2", "T", "N", "P", word, CallTable::kStoreTime, 1};
    }

    // Positions 0..9 hold "NIEUW" calls to pagers 100..109.
    void FillWithNewCalls() {
        for (int p = 0; p < CallTable::kPositions; ++p) {
            Put(p, "10" + std::to_string(p), kStatusNew);
        }
    }

    void ExpectRowsAsIn(const CallTable& expected) const {
        for (int p = 0; p < CallTable::kPositions; ++p) {
            EXPECT_EQ(table[p], expected[p]) << "position " << p;
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
};

}  // namespace espa::test
