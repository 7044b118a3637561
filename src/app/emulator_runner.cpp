#include "emulator_runner.h"

#include "engine/emulator.h"
#include "serial/serial_control.h"

namespace espa {

EmulatorRunner::EmulatorRunner(Emulator& emulator, QObject* parent)
    : QObject(parent), m_emulator(emulator) {
    // Handler timeouts are counted in these ticks, so this one must not drift coarsely. The other
    // two are precise as well, so that started together they fall due with a handler tick and
    // share its wakeup: an idle program wakes 40 times a second, not 45.
    m_handlerTimer.setTimerType(Qt::PreciseTimer);
    m_ledTimer.setTimerType(Qt::PreciseTimer);
    m_bufferTimer.setTimerType(Qt::PreciseTimer);
    m_handlerTimer.setInterval(kHandlerIntervalMs);
    m_ledTimer.setInterval(kLedIntervalMs);
    m_bufferTimer.setInterval(kBufferIntervalMs);
    connect(&m_handlerTimer, &QTimer::timeout, this, [this] { m_emulator.HandlerTick(); });
    connect(&m_ledTimer, &QTimer::timeout, this, [this] {
        m_emulator.LedTick();
        emit LampTicked();
    });
    connect(&m_bufferTimer, &QTimer::timeout, this, [this] {
        m_emulator.BufferTick();
        RetryLostPort();
    });
}

EmulatorRunner::~EmulatorRunner() = default;

void EmulatorRunner::Start() {
    if (m_started) {
        return;
    }
    m_started = true;
    m_emulator.StartEmulation();
    m_handlerTimer.start();
    m_ledTimer.start();
    m_bufferTimer.start();
}

void EmulatorRunner::Shutdown() {
    if (!m_started || m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_handlerTimer.stop();
    m_ledTimer.stop();
    m_bufferTimer.stop();
    m_emulator.Shutdown();
}

void EmulatorRunner::RetryLostPort() {
    SerialControl& control = m_emulator.Port().Control();
    if (!control.PortLost() || !control.ReclaimLostPort()) {
        return;
    }
    m_emulator.OpenPortFromSettings();
}

}  // namespace espa
