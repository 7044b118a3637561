#pragma once

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace espa::test {

// Turns the event loop until `done` is true or the deadline passes; whether it came true. For
// what arrives over sockets and pipes, whose timing is the system's, not the protocol's.
inline bool SpinUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + deadline;
    while (!done()) {
        if (Clock::now() >= end) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace espa::test
