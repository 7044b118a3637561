#pragma once

#include <cstdint>
#include <string>

#include "core/engine_events.h"

namespace espa {

class EventLog;
class FaultInjector;
class OperatorView;
class SerialControl;
struct LampState;
struct SettingsRecord;

// The line settings text from the four indexes, with the fallbacks for out-of-list values:
// "9600,N,8,1".
std::string LineSettingsText(std::int16_t baudRate, std::int16_t parity, std::int16_t bits,
                             std::int16_t stopBits);

// Port open/close and single-character I/O over the serial control.
class Datacom {
  public:
    Datacom(SerialControl& control, const SettingsRecord& settings, EventLog& log,
            OperatorView& view, LampState& lamps);

    // 0 when the port opened, -1 at the first refused operation (logged).
    std::int16_t OpenPort(std::int16_t compoort, std::int16_t baudRate, std::int16_t parity,
                          std::int16_t bits, std::int16_t stopBits, std::int16_t handShake);
    void ClosePort();

    // The code 0..255 of the next received byte, or -1 when none waits or the control failed.
    std::int16_t ReadChar();
    // 0 when handed to the port (or to a fault that drops or holds it back); -1 for a code
    // outside 0..255 or a refusal.
    std::int16_t SendChar(std::int16_t code);
    // Straight to the port, past any fault: for the bytes a delay held back.
    std::int16_t SendNow(std::int16_t code);

    // +1 active / -1 inactive (also when the control cannot tell).
    std::int16_t CtsLineState();
    std::int16_t RtsLineState();

    // The operator clicked the RTS label.
    void LabLinkStatusClick();

    // The lamp part of the 250 ms tick: blink the activity lamps, colour the line-state lamps.
    // (The tick's log-window refresh is the Emulator's.)
    void TickLamps();

    // The control under the port, for whoever drives the emulator (reopening a lost port).
    SerialControl& Control() { return m_control; }

    // Who is told of opens and closes; the observer must outlive this object.
    void SetEvents(EngineEvents& events) { m_events = &events; }
    // The faults that may swallow or hold back what goes through; none until set. The injector
    // must outlive this object.
    void SetFaults(FaultInjector& faults) { m_faults = &faults; }

  private:
    SerialControl& m_control;
    const SettingsRecord& m_settings;
    EventLog& m_log;
    OperatorView& m_view;
    LampState& m_lamps;
    EngineEvents* m_events = &NoEngineEvents();
    FaultInjector* m_faults = nullptr;
};

}  // namespace espa
