#pragma once

#include <QString>
#include <functional>
#include <string>

#include "serial/qt_serial_control.h"
#include "serial/serial_control.h"
#include "serial/tcp_serial_control.h"

namespace espa {

// Which kind of line a device text names: "tcp://…" and "tcp-listen://…" are network lines,
// everything else a serial device ("/dev/ttyUSB0", "COM3").
enum class LineKind { Serial, Network };
LineKind LineKindOf(const QString& device);

// The serial control the engine sees, choosing for each open the serial or the network control
// by the device its port number names. The port number may change between opens (the settings
// dialog), so the choice is made again each time. While the port is closed every property goes to
// both controls, so whichever opens next has them all; while it is open only the one in use
// hears of them.
class PortSwitch final : public SerialControl {
  public:
    using PortResolver = std::function<QString(int portNumber)>;

    explicit PortSwitch(PortResolver resolver);

    PortSwitch(const PortSwitch&) = delete;
    PortSwitch& operator=(const PortSwitch&) = delete;

    // Called when the open line goes away, whichever kind it is.
    void SetPortLostHandler(std::function<void()> handler);

    bool SetCommPort(std::int16_t portNumber) override;
    bool SetSettings(const std::string& settings) override;
    bool SetHandshaking(int mode) override;
    bool SetRTSEnable(bool on) override;
    bool SetDTREnable(bool on) override;
    bool SetNullDiscard(bool discard) override;
    bool SetEOFEnable(bool enable) override;
    bool SetInputLen(int length) override;
    bool SetPortOpen(bool open) override;
    bool PortOpen() const override;

    std::optional<int> InBufferCount() override { return Active().InBufferCount(); }
    std::optional<std::string> Input() override { return Active().Input(); }
    bool Output(const std::string& bytes) override { return Active().Output(bytes); }
    std::optional<bool> CTSHolding() override { return Active().CTSHolding(); }
    std::optional<bool> RTSEnable() override { return Active().RTSEnable(); }
    bool PortLost() const override { return Active().PortLost(); }
    bool ReclaimLostPort() override { return Active().ReclaimLostPort(); }
    // Both controls hear of it, so the next open's kind reports too.
    void SetLineTap(LineTap* tap, MicroClock now) override {
        m_serial.SetLineTap(tap, now);
        m_network.SetLineTap(tap, std::move(now));
    }
    PortDevice DeviceKind() const override { return Active().DeviceKind(); }

    // The device text of the port number set last (what the next or current open uses).
    QString Device() const;
    LineKind Kind() const { return m_kind; }
    // What the port frame's caption adds after the engine's text: the address of a network
    // line, nothing for a serial port.
    std::string CaptionSuffix() const;
    std::int16_t PortNumber() const { return m_portNumber; }

    QtSerialControl& Serial() { return m_serial; }
    TcpSerialControl& Network() { return m_network; }

  private:
    SerialControl& Active();
    const SerialControl& Active() const;
    // Sets a property: on both controls while closed, else on the one in use; the answer is the
    // one in use's.
    bool Set(const std::function<bool(SerialControl&)>& set);

    PortResolver m_resolver;
    QtSerialControl m_serial;
    TcpSerialControl m_network;
    std::int16_t m_portNumber = 1;
    LineKind m_kind = LineKind::Serial;
};

}  // namespace espa
