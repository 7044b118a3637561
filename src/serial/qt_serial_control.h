#pragma once

#include <QSerialPort>
#include <QString>
#include <functional>

#include "core/line_settings.h"
#include "serial/line_tap_feed.h"
#include "serial/serial_control.h"

namespace espa {

// The serial control on QSerialPort. It absorbs what the platform does differently from the
// control the engine was written against:
// - every property may be set while the port is closed; the wanted values are kept and applied
//   when the port opens;
// - a device without modem-control lines (a pty, a virtual adapter) refuses RTS/DTR and the line
//   settings it has no use for; that is a virtual line, not a failed open: CTS reads inactive and
//   RTS remembers what was asked;
// - a device that goes away while open (far end of a pty closed, USB adapter pulled) makes
//   QSerialPort report read errors in a tight loop; that becomes one "port lost" event, after
//   which reads give nothing and writes are refused until the port is closed and opened again,
//   or until the same device is back (ReclaimLostPort) and the engine opens the port again.
class QtSerialControl final : public SerialControl {
  public:
    // The device for a port number: a path ("/dev/ttyS0", "/tmp/app/Com1") or a system name
    // ("COM1").
    using PortResolver = std::function<QString(int portNumber)>;

    explicit QtSerialControl(PortResolver resolver);
    ~QtSerialControl() override;

    QtSerialControl(const QtSerialControl&) = delete;
    QtSerialControl& operator=(const QtSerialControl&) = delete;

    // Called once for each loss of an open port.
    void SetPortLostHandler(std::function<void()> handler) { m_portLost = std::move(handler); }

    // Refused while the port is open, except for the number of a lost port: the engine opening it
    // again goes through the whole open sequence.
    bool SetCommPort(std::int16_t portNumber) override;
    bool SetSettings(const std::string& settings) override;
    bool SetHandshaking(int mode) override;
    bool SetRTSEnable(bool on) override;
    bool SetDTREnable(bool on) override;
    // Received NULs are always delivered and there is no end-of-file character: asking for
    // either filter is refused.
    bool SetNullDiscard(bool discard) override;
    bool SetEOFEnable(bool enable) override;
    bool SetInputLen(int length) override;
    // Opening the port the engine still holds open is refused, except after a loss: then it
    // reopens the device that was lost (see ReclaimLostPort).
    bool SetPortOpen(bool open) override;
    bool PortOpen() const override { return m_open; }

    std::optional<int> InBufferCount() override;
    std::optional<std::string> Input() override;
    bool Output(const std::string& bytes) override;
    std::optional<bool> CTSHolding() override;
    std::optional<bool> RTSEnable() override { return m_rts; }

    // True after the open device went away, until the port is closed or opened again.
    bool PortLost() const override { return m_lost; }
    // Opens the lost device again, by the name it was opened with: a link in the application
    // folder may point to a new pty or adapter by now. The port number is not resolved again,
    // since a name that has gone would resolve to another physical port. A pty given by its own
    // /dev/pts number never comes back: the kernel hands that number to the next pty opened on
    // the machine, which belongs to someone else.
    bool ReclaimLostPort() override;
    void SetLineTap(LineTap* tap, MicroClock now) override { m_tap.Set(tap, std::move(now)); }
    PortDevice DeviceKind() const override {
        return m_virtualLine ? PortDevice::Pty : PortDevice::Serial;
    }
    // True when the open device has no modem-control lines.
    bool VirtualLine() const { return m_virtualLine; }
    // The device the last open used.
    QString DeviceName() const { return m_port.portName(); }

  private:
    bool Usable() const { return m_open && !m_lost && m_port.isOpen(); }
    // Opens `device` with plain settings and applies the wanted ones; false, closed again, when
    // either is refused.
    bool OpenAndConfigure(const QString& device);
    bool Configure();
    // Whether a device of this name can be the same line again after it went away.
    static bool ComesBack(const QString& device);
    void CloseDevice();
    bool ApplyLineSettings();
    bool ApplyFlowControl();
    bool ApplyRts();
    bool ApplyDtr();
    // A refusal of a setting: tolerated on a virtual line, a failure otherwise.
    bool Tolerated(bool applied);
    void OnError(QSerialPort::SerialPortError error);

    PortResolver m_resolver;
    std::function<void()> m_portLost;
    QSerialPort m_port;

    std::int16_t m_portNumber = 1;
    LineSettings m_line;
    int m_handshaking = 0;
    bool m_rts = false;
    bool m_dtr = false;
    int m_inputLen = 0;

    bool m_open = false;
    bool m_lost = false;
    // The lost device is open again and waits for the engine's SetPortOpen(true).
    bool m_reclaimed = false;
    // The device of the current (or lost) open.
    QString m_device;
    bool m_virtualLine = false;
    int m_readErrors = 0;
    LineTapFeed m_tap;
};

}  // namespace espa
