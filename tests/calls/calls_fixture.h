#pragma once

#include <gtest/gtest.h>

#include "calls/call_records.h"
#include "calls/status_exchange.h"
#include "core/control_chars.h"
#include "espa_frames.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {

using Fields = frames::FieldList;
using Texts = std::vector<std::string>;

// The six fields every "full" position and request in these tests carry.
inline const Fields kSix{{'1', "1234"}, {'2', "Hello"}, {'3', "2"},
                         {'4', "T"},    {'5', "N"},     {'6', "P"}};

// The call-handling parts wired as in the program; level 1 puts every log line on screen.
class CallsTest : public ::testing::Test {
  protected:
    CallsTest() { settings.Logfile = 1; }
    Texts LoggedTexts() const { return Unstamped(lines, clock); }
    void Reset() {
        table.InitCallTable();
        lines.Clear();
    }
    void Put(int p, const std::string& adres, const std::string& word,
             std::int16_t bufferTime = CallTable::kStoreTime) {
        table[p] = {adres, "", "", "", "", "", word, bufferTime, 1};
    }
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
