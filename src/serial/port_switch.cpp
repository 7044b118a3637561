#include "serial/port_switch.h"

#include "serial/tcp_address.h"

namespace espa {

LineKind LineKindOf(const QString& device) {
    return TcpAddress::IsTcpDevice(device) ? LineKind::Network : LineKind::Serial;
}

PortSwitch::PortSwitch(PortResolver resolver)
    : m_resolver(std::move(resolver)), m_serial(m_resolver), m_network(m_resolver) {}

void PortSwitch::SetPortLostHandler(std::function<void()> handler) {
    m_serial.SetPortLostHandler(handler);
    m_network.SetPortLostHandler(std::move(handler));
}

QString PortSwitch::Device() const {
    return m_resolver ? m_resolver(m_portNumber) : QString();
}

std::string PortSwitch::CaptionSuffix() const {
    if (m_kind != LineKind::Network) {
        return {};
    }
    const QByteArray device = Device().toLatin1();
    return "  " + std::string(device.constData(), static_cast<std::size_t>(device.size()));
}

SerialControl& PortSwitch::Active() {
    return m_kind == LineKind::Network ? static_cast<SerialControl&>(m_network) : m_serial;
}

const SerialControl& PortSwitch::Active() const {
    return m_kind == LineKind::Network ? static_cast<const SerialControl&>(m_network) : m_serial;
}

bool PortSwitch::PortOpen() const {
    return Active().PortOpen();
}

bool PortSwitch::Set(const std::function<bool(SerialControl&)>& set) {
    if (Active().PortOpen()) {
        return set(Active());
    }
    SerialControl& other =
        m_kind == LineKind::Network ? static_cast<SerialControl&>(m_serial) : m_network;
    set(other);
    return set(Active());
}

bool PortSwitch::SetCommPort(std::int16_t portNumber) {
    const bool accepted = Set([portNumber](SerialControl& c) { return c.SetCommPort(portNumber); });
    if (accepted) {
        m_portNumber = portNumber;
        m_kind = LineKindOf(Device());
    }
    return accepted;
}

bool PortSwitch::SetSettings(const std::string& settings) {
    return Set([&settings](SerialControl& c) { return c.SetSettings(settings); });
}

bool PortSwitch::SetHandshaking(int mode) {
    return Set([mode](SerialControl& c) { return c.SetHandshaking(mode); });
}

bool PortSwitch::SetRTSEnable(bool on) {
    return Set([on](SerialControl& c) { return c.SetRTSEnable(on); });
}

bool PortSwitch::SetDTREnable(bool on) {
    return Set([on](SerialControl& c) { return c.SetDTREnable(on); });
}

bool PortSwitch::SetNullDiscard(bool discard) {
    return Set([discard](SerialControl& c) { return c.SetNullDiscard(discard); });
}

bool PortSwitch::SetEOFEnable(bool enable) {
    return Set([enable](SerialControl& c) { return c.SetEOFEnable(enable); });
}

bool PortSwitch::SetInputLen(int length) {
    return Set([length](SerialControl& c) { return c.SetInputLen(length); });
}

// The kind is looked at again before opening: the device a number names is fixed for the run, but
// this keeps the choice right even if the number was set before the names were.
bool PortSwitch::SetPortOpen(bool open) {
    if (!open) {
        return Active().SetPortOpen(false);
    }
    // A lost port is opened again by the control that lost it.
    if (Active().PortOpen() && !Active().PortLost()) {
        return false;
    }
    m_kind = LineKindOf(Device());
    return Active().SetPortOpen(true);
}

}  // namespace espa
