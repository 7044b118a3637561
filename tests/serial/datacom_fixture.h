#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "serial/datacom.h"
#include "serial/lamp_state.h"
#include "temp_dir.h"

namespace espa::test {

using Texts = std::vector<std::string>;

// One Datacom wired to a fake control, a recording view and a real event log in a temporary
// application folder. The log level starts at 1 so every event line reaches the screen store.
class DatacomTest : public ::testing::Test {
  protected:
    DatacomTest() { settings.Logfile = 1; }

    Texts LoggedTexts() const { return Unstamped(lines, clock); }

    // Opens with the usual 9600,N,8,1 on Com1 and forgets what that recorded.
    void OpenDefault(std::int16_t handShake = 0) {
        settings.HandShake = handShake;
        ASSERT_EQ(datacom.OpenPort(0, 4, 0, 1, 0, handShake), 0);
        control.calls.clear();
        lines.Clear();
    }

    std::filesystem::path DebugLogFile() const {
        return dir.path() / "DebugLog" / EventLog::DailyFileName(clock.now);
    }

    TempDir dir;
    FixedClock clock;
    SettingsRecord settings;
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
    FakeSerialControl control;
    RecordingView view;
    LampState lamps;
    Datacom datacom{control, settings, log, view, lamps};
};

}  // namespace espa::test
