#include "serial/tcp_address.h"

namespace espa {
namespace {

constexpr QLatin1StringView kConnectScheme("tcp://");
constexpr QLatin1StringView kListenScheme("tcp-listen://");

std::optional<quint16> PortNumber(const QString& text) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    // toUInt accepts a leading '+' and blanks; a port is digits only.
    if (!ok || value == 0 || value > 65535 || text.isEmpty() || !text[0].isDigit() ||
        text.size() > 5) {
        return std::nullopt;
    }
    return static_cast<quint16>(value);
}

}  // namespace

bool TcpAddress::IsTcpDevice(const QString& device) {
    return device.startsWith(kConnectScheme, Qt::CaseInsensitive) ||
           device.startsWith(kListenScheme, Qt::CaseInsensitive);
}

std::optional<TcpAddress> TcpAddress::Parse(const QString& device) {
    TcpAddress address;
    QString rest;
    if (device.startsWith(kConnectScheme, Qt::CaseInsensitive)) {
        address.role = Role::Connect;
        rest = device.mid(kConnectScheme.size());
    } else if (device.startsWith(kListenScheme, Qt::CaseInsensitive)) {
        address.role = Role::Listen;
        rest = device.mid(kListenScheme.size());
    } else {
        return std::nullopt;
    }

    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":")) {
            return std::nullopt;
        }
        address.host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
        if (address.host.isEmpty()) {
            return std::nullopt;
        }
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) {
            return std::nullopt;
        }
        address.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        // An unbracketed host with colons would be an IPv6 address whose end cannot be told
        // from the port.
        if (address.host.contains(QLatin1Char(':'))) {
            return std::nullopt;
        }
    }
    for (const QChar c : std::as_const(address.host)) {
        if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('@')) {
            return std::nullopt;
        }
    }
    if (address.role == Role::Connect && address.host.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<quint16> port = PortNumber(portText);
    if (!port) {
        return std::nullopt;
    }
    address.port = *port;
    return address;
}

QString TcpAddress::HostAndPort() const {
    QString host = this->host;
    if (host.isEmpty()) {
        host = QStringLiteral("*");
    } else if (host.contains(QLatin1Char(':'))) {
        host = QLatin1Char('[') + host + QLatin1Char(']');
    }
    return host + QLatin1Char(':') + QString::number(port);
}

QString TcpAddress::ToText() const {
    const QString scheme = role == Role::Connect ? QString(kConnectScheme) : QString(kListenScheme);
    QString host = this->host;
    if (host.contains(QLatin1Char(':'))) {
        host = QLatin1Char('[') + host + QLatin1Char(']');
    }
    return scheme + host + QLatin1Char(':') + QString::number(port);
}

}  // namespace espa
