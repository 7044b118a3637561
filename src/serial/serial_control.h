#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/line_tap.h"

namespace espa {

// The serial communications control. Every operation may be refused (false or nullopt): a port
// that does not exist, is in use, is closed or has gone away. Properties may be set while the port
// is closed; they take effect when it opens.
class SerialControl {
  public:
    virtual ~SerialControl() = default;

    virtual bool SetCommPort(std::int16_t portNumber) = 0;
    // "9600,N,8,1"
    virtual bool SetSettings(const std::string& settings) = 0;
    // 0 none, 2 RTS/CTS
    virtual bool SetHandshaking(int mode) = 0;
    virtual bool SetRTSEnable(bool on) = 0;
    virtual bool SetDTREnable(bool on) = 0;
    virtual bool SetNullDiscard(bool discard) = 0;
    virtual bool SetEOFEnable(bool enable) = 0;
    virtual bool SetInputLen(int length) = 0;
    virtual bool SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    // Received bytes waiting.
    virtual std::optional<int> InBufferCount() = 0;
    // Removes and returns up to InputLen waiting bytes.
    virtual std::optional<std::string> Input() = 0;
    virtual bool Output(const std::string& bytes) = 0;
    virtual std::optional<bool> CTSHolding() = 0;
    virtual std::optional<bool> RTSEnable() = 0;

    // A port whose device went away while open is "lost": still open as far as the engine knows,
    // but nothing moves. Controls that cannot lose their device keep these defaults.
    virtual bool PortLost() const { return false; }
    // While lost: tries, quietly, to get the same device back. True when it is there again and
    // the next SetPortOpen(true) takes it; false, with nothing reported, while it is still away.
    virtual bool ReclaimLostPort() { return false; }

    // Who hears of every byte read or written from now on, stamped by `now`; null for nobody.
    // Controls that cannot tell when their bytes moved ignore it.
    virtual void SetLineTap(LineTap* tap, MicroClock now) {
        static_cast<void>(tap);
        static_cast<void>(now);
    }
    // What the open port is; a control that cannot tell says a serial port.
    virtual PortDevice DeviceKind() const { return PortDevice::Serial; }
};

}  // namespace espa
