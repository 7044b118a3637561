#include "serial/line_tap_feed.h"

#include <QByteArray>
#include <algorithm>

namespace espa {

void LineTapFeed::Set(LineTap* tap, MicroClock now) {
    m_tap = tap;
    m_now = now ? std::move(now) : MicroClock(SystemTimeUs);
    // Whatever waits in the buffer now is reported at the next arrival or read.
    m_reported = 0;
}

void LineTapFeed::Arrived(QIODevice& device) {
    if (m_tap == nullptr) {
        return;
    }
    const qint64 waiting = device.bytesAvailable();
    if (waiting <= m_reported) {
        m_reported = waiting;
        return;
    }
    const QByteArray fresh = device.peek(waiting).mid(m_reported);
    m_reported = waiting;
    m_tap->OnLineRead(m_now(),
                      std::string(fresh.constData(), static_cast<std::size_t>(fresh.size())));
}

void LineTapFeed::Taken(qint64 count) {
    m_reported = std::max<qint64>(0, m_reported - count);
}

void LineTapFeed::Written(const std::string& bytes) {
    if (m_tap != nullptr && !bytes.empty()) {
        m_tap->OnLineWritten(m_now(), bytes);
    }
}

}  // namespace espa
