#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_record.h"
#include "line/frame.h"

namespace espa {

// The byte state machine for one direction of the line. Every byte it takes ends up in exactly one
// frame: a frame that cannot be completed becomes noise, never nothing.
class SideDecoder {
  public:
    // A line that never stops sending garbage, or a block that never ends, still makes frames:
    // memory stays bounded and a watcher still sees that bytes come.
    static constexpr std::size_t kLongestNoise = 256;
    static constexpr std::size_t kLongestBlock = 4096;

    SideDecoder(Side side, Emulation make) : m_side(side), m_make(make) {}

    // Completed frames are appended to `out`, in the order of their first bytes.
    void Take(char byte, std::int64_t timeUs, std::vector<Frame>& out);
    // Ends whatever is open as the line going quiet does.
    void Close(std::vector<Frame>& out);

    bool Open() const { return m_step != Step::Idle || !m_noise.empty(); }
    std::int64_t LastByteUs() const { return m_lastUs; }
    bool AwaitingCheck() const { return m_step == Step::Check; }

  private:
    enum class Step {
        Idle,
        Digit,        // an address digit; ENQ makes it a select or poll
        SelectDigit,  // the central's "1" ENQ, waiting for the "2"
        SelectEnq,    // the central's "1" ENQ "2", waiting for ENQ
        Block,        // after SOH, up to ETX
        Check,        // after ETX: the next byte is the check, whatever it is
    };

    void Start(Step step, char byte, std::int64_t timeUs);
    void Append(char byte, std::int64_t timeUs);
    void Emit(FrameKind kind, std::vector<Frame>& out, NoiseKind noise = NoiseKind::Stray);
    void EmitBlock(std::vector<Frame>& out);
    void FlushNoise(std::vector<Frame>& out);
    void NoiseByte(char byte, std::int64_t timeUs, std::vector<Frame>& out);

    Side m_side;
    Emulation m_make;
    Step m_step = Step::Idle;
    std::string m_bytes;  // the frame being read
    std::int64_t m_startUs = 0;
    std::int64_t m_endUs = 0;
    std::string m_noise;  // stray bytes waiting for the next frame to end their run
    std::int64_t m_noiseStartUs = 0;
    std::int64_t m_noiseEndUs = 0;
    std::int64_t m_lastUs = 0;
};

}  // namespace espa
