#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/line_settings.h"
#include "core/line_tap.h"
#include "core/settings_record.h"
#include "line/line_watch.h"

namespace espa {

class CallTable;

// A lamp tick's worth of the line, for the front ends to show.
struct LineNews {
    std::vector<Frame> frames;
    std::vector<Hint> hints;
};

// The emulator's own line under a LineWatch: the port's bytes come in through the tap (read is
// the central's, written ours), and the engine adds what only it knows (the port's kind and
// settings, CTS, whether a status is owed). Nothing here changes what the engine does.
class WatchedLine final : public LineTap {
  public:
    explicit WatchedLine(MicroClock now = SystemTimeUs) : m_now(std::move(now)) {}

    void SetClock(MicroClock now) { m_now = std::move(now); }
    const MicroClock& Clock() const { return m_now; }

    // A fresh watch for `make`, matching status requests against `table`.
    void Start(Emulation make, const CallTable& table);
    void Stop() { m_watch.reset(); }
    LineWatch* Watch() { return m_watch.get(); }
    bool Watching() const { return m_watch != nullptr; }
    // Who gets every chunk as well (a capture file), watching or not; null for nobody.
    void SetRecorder(LineTap* recorder) { m_recorder = recorder; }
    // Whether the port's bytes are wanted at all.
    bool Tapped() const { return m_watch != nullptr || m_recorder != nullptr; }

    void PortOpened(PortDevice device, const LineSettings& settings, std::int16_t handShake);
    // The handler has stepped: the doctor hears of a status owed from now, or no longer owed.
    void HandlerStepped(bool statusOwed);
    void CtsSensed(bool active);

    void OnLineRead(std::int64_t timeUs, const std::string& bytes) override;
    void OnLineWritten(std::int64_t timeUs, const std::string& bytes) override;

  private:
    MicroClock m_now;
    std::unique_ptr<LineWatch> m_watch;
    LineTap* m_recorder = nullptr;
    bool m_owed = false;
};

}  // namespace espa
