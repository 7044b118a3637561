#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace espa {

// Where a port's serial-over-IP line is: "tcp://HOST:PORT" dials out to a terminal server or a
// central; "tcp-listen://[HOST]:PORT" waits for the central to dial in. An IPv6 host goes in
// brackets ("tcp://[::1]:4001").
struct TcpAddress {
    enum class Role { Connect, Listen };

    Role role = Role::Connect;
    QString host;  // empty for "listen on every interface"
    quint16 port = 0;

    // Whether the device text asks for a TCP line at all (by its scheme), right or wrong.
    static bool IsTcpDevice(const QString& device);
    // The address in a device text; nothing when it is not a TCP device or is malformed.
    static std::optional<TcpAddress> Parse(const QString& device);

    // "HOST:PORT" ("[::1]:4001" for IPv6, "*:4001" for every interface).
    QString HostAndPort() const;
    // The device text again, in its usual form.
    QString ToText() const;

    bool operator==(const TcpAddress&) const = default;
};

}  // namespace espa
