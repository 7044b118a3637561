#pragma once

#include <QCoreApplication>
#include <chrono>
#include <functional>

namespace espa::test {

// Turns the event loop until `done` is true or the deadline passes; whether it came true. For
// what arrives over ptys, sockets and pipes, whose timing is the system's, not the protocol's.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

}  // namespace espa::test
