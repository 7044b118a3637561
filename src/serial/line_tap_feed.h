#pragma once

#include <QIODevice>
#include <string>

#include "core/line_tap.h"

namespace espa {

// Tells a line tap of a Qt device's bytes: received ones when they land in the device's buffer
// (peeked, so what the engine's reads return is untouched), sent ones when they are written.
// Without a tap it does nothing at all.
class LineTapFeed {
  public:
    void Set(LineTap* tap, MicroClock now);

    // Bytes may have come into `device`'s buffer: those not reported yet go to the tap.
    void Arrived(QIODevice& device);
    // A read took `count` bytes off the front of the buffer.
    void Taken(qint64 count);
    void Written(const std::string& bytes);
    // The buffer went with its device.
    void Forget() { m_reported = 0; }

  private:
    LineTap* m_tap = nullptr;
    MicroClock m_now;
    // Bytes at the front of the device's buffer that the tap has heard of already.
    qint64 m_reported = 0;
};

}  // namespace espa
