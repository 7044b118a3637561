#pragma once

#include <QObject>
#include <QTimer>

namespace espa {

class Emulator;

// Drives an emulator from the Qt event loop: the start-up sequence, then the three periodic ticks
// on the one thread that also handles the window's events. Used by the window and by headless
// runs alike.
//
// A port whose device went away (a pty's far end closed, a USB adapter pulled) is tried again on
// every 1000 ms tick; when the same device is back it is opened through the ordinary open, so the
// log, the caption and the tool tip say so as they do at start-up, and the session goes on where
// it was: the handler's state and the call table are left alone.
class EmulatorRunner final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kHandlerIntervalMs = 25;
    static constexpr int kLedIntervalMs = 250;
    static constexpr int kBufferIntervalMs = 1000;

    explicit EmulatorRunner(Emulator& emulator, QObject* parent = nullptr);
    ~EmulatorRunner() override;

    // StartEmulation, then the timers start ticking.
    void Start();

    // Stops the ticks and closes the port. Only the first call does anything, so every way out
    // (quit, window closed, signal, end of the event loop) may call it.
    void Shutdown();

    bool IsRunning() const { return m_started && !m_shutDown; }

  signals:
    // After each 250 ms tick, for what is shown at the lamps' pace rather than per byte.
    void LampTicked();

  private:
    // Nothing while the port is fine or its device still away; the open otherwise.
    void RetryLostPort();

    Emulator& m_emulator;
    QTimer m_handlerTimer;
    QTimer m_ledTimer;
    QTimer m_bufferTimer;
    bool m_started = false;
    bool m_shutDown = false;
};

}  // namespace espa
