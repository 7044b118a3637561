#include "line/line_watch.h"

namespace espa {

void LineWatch::Feed(const LineChunk& chunk) {
    m_decoder.Feed(chunk);
    Pass(chunk.timeUs);
}

void LineWatch::Advance(std::int64_t nowUs) {
    m_decoder.Advance(nowUs);
    Pass(nowUs);
}

void LineWatch::Finish() {
    m_decoder.Finish();
    Take();
    m_analyser.Finish();
}

std::vector<Frame> LineWatch::TakeFrames() {
    std::vector<Frame> out;
    out.swap(m_frames);
    return out;
}

// The doctor sees frames as the decoder gives them; the analyser puts them in protocol order
// itself.
void LineWatch::Take() {
    for (Frame& frame : m_decoder.TakeFrames()) {
        m_doctor.Add(frame);
        m_analyser.Add(frame);
        m_frames.push_back(std::move(frame));
    }
}

void LineWatch::Pass(std::int64_t nowUs) {
    Take();
    m_analyser.Advance(nowUs);
    m_doctor.Advance(nowUs);
}

}  // namespace espa
