#pragma once

#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "serial/line_tap_feed.h"
#include "serial/serial_control.h"
#include "serial/tcp_address.h"

namespace espa {

// The serial control on a raw TCP link (a terminal server's port, or a central that speaks ESPA
// over the network). The port is "open" as long as the engine wants it open; the link under it
// comes and goes:
// - "tcp://HOST:PORT" dials out, and dials again once a second whenever the link is down, for as
//   long as the port is open;
// - "tcp-listen://[HOST]:PORT" waits for a central; one at a time: a second one that dials in
//   while the first is connected is hung up at once. When the central leaves the next may come.
// While no link is up nothing is received and sending is refused. A TCP link has no modem-control
// lines: CTS reads inactive and RTS remembers what was asked. The line settings are checked and
// kept but have nothing to act on.
class TcpSerialControl final : public SerialControl {
  public:
    // The device text for a port number, e.g. "tcp://10.0.0.5:4001".
    using PortResolver = std::function<QString(int portNumber)>;
    // A sentence for the event log ("Connected to the central at 10.0.0.5:4001.").
    using NoticeHandler = std::function<void(const std::string& text)>;

    static constexpr int kRetryIntervalMs = 1000;
    // A dial-out that has neither connected nor failed by then is given up and tried again.
    static constexpr int kConnectTimeoutMs = 5000;

    explicit TcpSerialControl(PortResolver resolver);
    ~TcpSerialControl() override;

    TcpSerialControl(const TcpSerialControl&) = delete;
    TcpSerialControl& operator=(const TcpSerialControl&) = delete;

    // Called once each time an established link goes down while the port is open.
    void SetPortLostHandler(std::function<void()> handler) { m_portLost = std::move(handler); }
    // Called each time a link comes up, with the far end as "HOST:PORT".
    void SetConnectedHandler(std::function<void(const QString& peer)> handler) {
        m_connected = std::move(handler);
    }
    void SetNoticeHandler(NoticeHandler handler) { m_notice = std::move(handler); }

    bool SetCommPort(std::int16_t portNumber) override;
    bool SetSettings(const std::string& settings) override;
    bool SetHandshaking(int mode) override;
    bool SetRTSEnable(bool on) override;
    bool SetDTREnable(bool on) override;
    // As on the serial control: NULs are always delivered, there is no end-of-file character.
    bool SetNullDiscard(bool discard) override { return !discard; }
    bool SetEOFEnable(bool enable) override { return !enable; }
    bool SetInputLen(int length) override;
    bool SetPortOpen(bool open) override;
    bool PortOpen() const override { return m_open; }

    std::optional<int> InBufferCount() override;
    std::optional<std::string> Input() override;
    bool Output(const std::string& bytes) override;
    std::optional<bool> CTSHolding() override;
    std::optional<bool> RTSEnable() override { return m_rts; }
    void SetLineTap(LineTap* tap, MicroClock now) override { m_tap.Set(tap, std::move(now)); }
    PortDevice DeviceKind() const override { return PortDevice::Tcp; }

    // Whether a link to a central is up now.
    bool LinkUp() const;
    // The address the last open used.
    const TcpAddress& Address() const { return m_address; }
    // The port number the server actually listens on (the one asked for, or the one the system
    // chose for port 0 in tests); 0 when not listening.
    quint16 ListeningPort() const;

  private:
    void Dial();
    void OnDialTimeout();
    void OnNewConnection();
    // The link in `socket` is up: from now on it is the line.
    void Adopt(QTcpSocket* socket);
    // Makes `socket` the line's socket and watches it for the end of its link.
    void Watch(QTcpSocket* socket);
    void OnLinkDown();
    void DropLink();
    void Notice(const QString& text);

    PortResolver m_resolver;
    std::function<void()> m_portLost;
    std::function<void(const QString&)> m_connected;
    NoticeHandler m_notice;

    std::int16_t m_portNumber = 1;
    int m_handshaking = 0;
    bool m_rts = false;
    bool m_dtr = false;
    int m_inputLen = 0;

    bool m_open = false;
    bool m_linkUp = false;
    // A dial-out that keeps failing is reported once, not every second.
    bool m_dialFailureReported = false;
    TcpAddress m_address;
    QString m_peer;
    std::unique_ptr<QTcpServer> m_server;
    // The line's socket: dialled by us or accepted from the server. Deleted later, never inside
    // one of its own signals.
    QPointer<QTcpSocket> m_socket;
    QList<QMetaObject::Connection> m_socketConnections;
    QTimer m_retryTimer;
    QTimer m_dialTimer;
    LineTapFeed m_tap;
};

}  // namespace espa
