#include "serial/tcp_serial_control.h"

#include <QHostAddress>
#include <QHostInfo>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/line_settings.h"

namespace espa {
namespace {

constexpr int kNoHandshake = 0;
constexpr int kRtsCtsAndXonXoff = 3;

// A central that sends faster than the handler reads is held back by TCP itself once this much
// waits, instead of filling memory.
constexpr qint64 kReadBufferBytes = 64 * 1024;

QString PeerText(const QTcpSocket& socket) {
    QString host = socket.peerAddress().toString();
    if (host.contains(QLatin1Char(':'))) {
        host = QLatin1Char('[') + host + QLatin1Char(']');
    }
    return host + QLatin1Char(':') + QString::number(socket.peerPort());
}

std::optional<QHostAddress> ListenAddress(const QString& host) {
    if (host.isEmpty()) {
        return QHostAddress(QHostAddress::Any);
    }
    QHostAddress address;
    if (address.setAddress(host)) {
        return address;
    }
    // A name: looked up once, at open, as the listening socket needs an address.
    const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
    if (found.isEmpty()) {
        return std::nullopt;
    }
    return found.first();
}

}  // namespace

TcpSerialControl::TcpSerialControl(PortResolver resolver) : m_resolver(std::move(resolver)) {
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(kRetryIntervalMs);
    QObject::connect(&m_retryTimer, &QTimer::timeout, &m_retryTimer, [this] { Dial(); });
    m_dialTimer.setSingleShot(true);
    m_dialTimer.setInterval(kConnectTimeoutMs);
    QObject::connect(&m_dialTimer, &QTimer::timeout, &m_dialTimer, [this] { OnDialTimeout(); });
}

TcpSerialControl::~TcpSerialControl() {
    for (const QMetaObject::Connection& connection : std::as_const(m_socketConnections)) {
        QObject::disconnect(connection);
    }
    delete m_socket;
}

bool TcpSerialControl::SetCommPort(std::int16_t portNumber) {
    if (m_open || portNumber < 1) {
        return false;
    }
    m_portNumber = portNumber;
    return true;
}

// Nothing to act on, but the same texts are refused as on a serial port, so a settings text does
// not pass on one kind of port and fail on the other.
bool TcpSerialControl::SetSettings(const std::string& settings) {
    return ParseLineSettings(settings).has_value();
}

bool TcpSerialControl::SetHandshaking(int mode) {
    if (mode < kNoHandshake || mode > kRtsCtsAndXonXoff) {
        return false;
    }
    m_handshaking = mode;
    return true;
}

bool TcpSerialControl::SetRTSEnable(bool on) {
    m_rts = on;
    return true;
}

bool TcpSerialControl::SetDTREnable(bool on) {
    m_dtr = on;
    return true;
}

bool TcpSerialControl::SetInputLen(int length) {
    if (length < 0) {
        return false;
    }
    m_inputLen = length;
    return true;
}

bool TcpSerialControl::SetPortOpen(bool open) {
    if (!open) {
        m_retryTimer.stop();
        m_dialTimer.stop();
        DropLink();
        m_server.reset();
        m_open = false;
        return true;
    }
    if (m_open) {
        return false;
    }
    const QString device = m_resolver ? m_resolver(m_portNumber) : QString();
    const std::optional<TcpAddress> address = TcpAddress::Parse(device);
    if (!address) {
        Notice(QStringLiteral("Com%1 is not a TCP address: %2").arg(m_portNumber).arg(device));
        return false;
    }
    m_address = *address;
    m_dialFailureReported = false;
    const QString label = QStringLiteral("Com%1 is serial over IP: ").arg(m_portNumber);

    if (m_address.role == TcpAddress::Role::Connect) {
        m_open = true;
        Notice(label +
               QStringLiteral("connecting to the central at %1.").arg(m_address.HostAndPort()));
        Dial();
        return true;
    }

    const std::optional<QHostAddress> listenAt = ListenAddress(m_address.host);
    auto server = std::make_unique<QTcpServer>();
    if (!listenAt || !server->listen(*listenAt, m_address.port)) {
        Notice(QStringLiteral("Cannot wait for a central on %1: %2")
                   .arg(m_address.HostAndPort(),
                        listenAt ? server->errorString() : QStringLiteral("unknown host")));
        return false;
    }
    QObject::connect(server.get(), &QTcpServer::newConnection, server.get(),
                     [this] { OnNewConnection(); });
    m_server = std::move(server);
    m_open = true;
    Notice(label + QStringLiteral("waiting for a central on %1.").arg(m_address.HostAndPort()));
    return true;
}

std::optional<int> TcpSerialControl::InBufferCount() {
    if (!m_open) {
        return std::nullopt;
    }
    if (!LinkUp()) {
        return 0;
    }
    return static_cast<int>(
        std::min<qint64>(m_socket->bytesAvailable(), std::numeric_limits<std::int16_t>::max()));
}

std::optional<std::string> TcpSerialControl::Input() {
    if (!m_open) {
        return std::nullopt;
    }
    if (!LinkUp()) {
        return std::string();
    }
    m_tap.Arrived(*m_socket);
    const qint64 waiting = m_socket->bytesAvailable();
    const qint64 wanted = m_inputLen == 0 ? waiting : std::min<qint64>(waiting, m_inputLen);
    const QByteArray bytes = m_socket->read(wanted);
    m_tap.Taken(bytes.size());
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Not flushed here: the bytes of one handler step leave together at the next turn of the event
// loop, in one segment rather than one per character.
bool TcpSerialControl::Output(const std::string& bytes) {
    if (!m_open || !LinkUp()) {
        return false;
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    if (m_socket->write(bytes.data(), size) != size) {
        return false;
    }
    m_tap.Written(bytes);
    return true;
}

std::optional<bool> TcpSerialControl::CTSHolding() {
    if (!m_open) {
        return std::nullopt;
    }
    return false;
}

bool TcpSerialControl::LinkUp() const {
    return m_linkUp && m_socket != nullptr;
}

quint16 TcpSerialControl::ListeningPort() const {
    return m_server && m_server->isListening() ? m_server->serverPort() : 0;
}

void TcpSerialControl::Dial() {
    if (!m_open || m_address.role != TcpAddress::Role::Connect || LinkUp()) {
        return;
    }
    DropLink();
    auto* socket = new QTcpSocket();
    Watch(socket);
    m_socketConnections.append(
        QObject::connect(socket, &QTcpSocket::connected, socket, [this, socket] {
            m_dialTimer.stop();
            Adopt(socket);
        }));
    m_dialTimer.start();
    socket->connectToHost(m_address.host, m_address.port);
}

void TcpSerialControl::OnDialTimeout() {
    if (LinkUp()) {
        return;
    }
    if (!m_dialFailureReported) {
        m_dialFailureReported = true;
        Notice(QStringLiteral("Cannot reach the central at %1 (no answer); trying every second.")
                   .arg(m_address.HostAndPort()));
    }
    DropLink();
    m_retryTimer.start();
}

void TcpSerialControl::OnNewConnection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (LinkUp()) {
            Notice(QStringLiteral("A second central from %1 was refused: one at a time.")
                       .arg(PeerText(*socket)));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Kept apart from the server, so closing the port decides its end, not the server's.
        socket->setParent(nullptr);
        DropLink();
        Watch(socket);
        Adopt(socket);
    }
}

void TcpSerialControl::Watch(QTcpSocket* socket) {
    m_socket = socket;
    m_tap.Forget();
    m_socketConnections.append(QObject::connect(socket, &QIODevice::readyRead, socket,
                                                [this, socket] { m_tap.Arrived(*socket); }));
    m_socketConnections.append(
        QObject::connect(socket, &QAbstractSocket::stateChanged, socket,
                         [this, socket](QAbstractSocket::SocketState state) {
                             if (state == QAbstractSocket::UnconnectedState && socket == m_socket) {
                                 OnLinkDown();
                             }
                         }));
}

void TcpSerialControl::Adopt(QTcpSocket* socket) {
    // The protocol goes a character at a time with a wait for each answer: no delaying of small
    // segments.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(kReadBufferBytes);
    m_linkUp = true;
    m_dialFailureReported = false;
    m_peer = PeerText(*socket);
    if (m_address.role == TcpAddress::Role::Connect) {
        Notice(QStringLiteral("Connected to the central at %1.").arg(m_peer));
    } else {
        Notice(QStringLiteral("Central connected from %1.").arg(m_peer));
    }
    if (m_connected) {
        m_connected(m_peer);
    }
}

// The socket has left the connected state: either an established link went down (the port is
// lost until the next link) or a dial-out failed (tried again in a second, reported once).
void TcpSerialControl::OnLinkDown() {
    const bool wasUp = m_linkUp;
    const QString error = m_socket != nullptr ? m_socket->errorString() : QString();
    DropLink();
    if (!m_open) {
        return;
    }
    if (wasUp) {
        if (m_address.role == TcpAddress::Role::Connect) {
            Notice(QStringLiteral("ERROR: Connection to the central at %1 lost; reconnecting.")
                       .arg(m_peer));
        } else {
            Notice(QStringLiteral("ERROR: Central at %1 disconnected; waiting for the next.")
                       .arg(m_peer));
        }
        if (m_portLost) {
            m_portLost();
        }
    } else if (!m_dialFailureReported) {
        m_dialFailureReported = true;
        Notice(QStringLiteral("Cannot reach the central at %1 (%2); trying every second.")
                   .arg(m_address.HostAndPort(), error));
    }
    if (m_address.role == TcpAddress::Role::Connect) {
        m_retryTimer.start();
    }
}

// Forgets the current socket, and what it had received: a new link is a new line. Its signals
// are cut first so that closing it here reports nothing.
void TcpSerialControl::DropLink() {
    m_linkUp = false;
    m_dialTimer.stop();
    for (const QMetaObject::Connection& connection : std::as_const(m_socketConnections)) {
        QObject::disconnect(connection);
    }
    m_socketConnections.clear();
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    if (socket == nullptr) {
        return;
    }
    // This may run inside the socket's own signal: it is closed if need be and deleted later.
    if (socket->state() != QAbstractSocket::UnconnectedState) {
        socket->abort();
    }
    socket->deleteLater();
}

void TcpSerialControl::Notice(const QString& text) {
    if (m_notice) {
        const QByteArray bytes = text.toLatin1();
        m_notice(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
}

}  // namespace espa
