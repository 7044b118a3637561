#pragma once

#include <algorithm>
#include <string>

#include "serial/serial_control.h"

namespace espa::bench {

// A serial control over two byte queues, lean enough that the engine's own work is what a
// benchmark sees: no record of calls, no scripted refusals. `rx` is what the central sent and the
// emulator has not read (from `rxAt` on); `tx` collects what the emulator sent.
class ByteQueueControl final : public SerialControl {
  public:
    bool SetCommPort(std::int16_t) override { return !m_open; }
    bool SetSettings(const std::string&) override { return true; }
    bool SetHandshaking(int) override { return true; }
    bool SetRTSEnable(bool on) override { return (m_rts = on, true); }
    bool SetDTREnable(bool) override { return true; }
    bool SetNullDiscard(bool discard) override { return !discard; }
    bool SetEOFEnable(bool enable) override { return !enable; }
    bool SetInputLen(int length) override { return (m_inputLen = length, true); }
    bool SetPortOpen(bool open) override {
        if (open && m_open) {
            return false;
        }
        m_open = open;
        return true;
    }
    bool PortOpen() const override { return m_open; }

    std::optional<int> InBufferCount() override {
        if (!m_open) {
            return std::nullopt;
        }
        return static_cast<int>(rx.size() - rxAt);
    }
    std::optional<std::string> Input() override {
        if (!m_open) {
            return std::nullopt;
        }
        const std::size_t waiting = rx.size() - rxAt;
        const std::size_t n =
            m_inputLen <= 0 ? waiting : std::min<std::size_t>(waiting, m_inputLen);
        std::string out = rx.substr(rxAt, n);
        rxAt += n;
        return out;
    }
    bool Output(const std::string& bytes) override {
        if (!m_open) {
            return false;
        }
        tx += bytes;
        return true;
    }
    std::optional<bool> CTSHolding() override {
        return m_open ? std::optional<bool>(false) : std::nullopt;
    }
    std::optional<bool> RTSEnable() override { return m_rts; }

    // Adds received bytes, dropping what has been read when that is most of the queue.
    void Receive(const char* bytes, std::size_t count) {
        if (rxAt > 4096 && rxAt * 2 > rx.size()) {
            rx.erase(0, rxAt);
            rxAt = 0;
        }
        rx.append(bytes, count);
    }

    std::string rx;
    std::size_t rxAt = 0;
    std::string tx;

  private:
    bool m_open = false;
    bool m_rts = false;
    int m_inputLen = 0;
};

}  // namespace espa::bench
