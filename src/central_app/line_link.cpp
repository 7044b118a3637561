#include "line_link.h"

#include <QSerialPort>
#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

#include "central_options.h"
#include "serial/qt_line_settings.h"

namespace espa {
namespace {

constexpr int kHangupProbeMs = 200;

}  // namespace

LineLink::LineLink(QObject* parent) : QObject(parent) {
    connect(&m_hangupProbe, &QTimer::timeout, this, &LineLink::ProbeHangup);
}

LineLink::~LineLink() {
    Close(0);
}

bool LineLink::Open(const CentralOptions& options, int connectTimeoutMs) {
    m_error.clear();
    m_warnings.clear();
    return options.IsTcp() ? OpenTcp(options, connectTimeoutMs) : OpenSerial(options);
}

bool LineLink::OpenSerial(const CentralOptions& options) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(options.device);
    if (!port->open(QIODevice::ReadWrite)) {
        m_error = QStringLiteral("cannot open %1: %2").arg(options.device, port->errorString());
        return false;
    }
    // Set after opening, one by one: a device that refuses a setting (a pty has no modem lines)
    // is still a usable line, and the user learns which setting did not take.
    auto apply = [&](bool done, const char* what) {
        if (!done && port->error() != QSerialPort::UnsupportedOperationError) {
            m_warnings << QStringLiteral("%1 refused the %2: %3")
                              .arg(options.device, QString::fromLatin1(what), port->errorString());
        }
        port->clearError();
    };
    apply(port->setBaudRate(options.line.baud), "baud rate");
    apply(port->setParity(ToQtParity(options.line.parity)), "parity");
    apply(port->setDataBits(ToQtDataBits(options.line.dataBits)), "data bits");
    apply(port->setStopBits(ToQtStopBits(options.line.stopBits)), "stop bits");
    apply(port->setFlowControl(QSerialPort::NoFlowControl), "flow control");
    // A central raises its modem lines; a pty has none, which is no fault.
    port->setDataTerminalReady(true);
    port->setRequestToSend(true);
    port->clearError();

    QSerialPort* raw = port.get();
    connect(
        raw, &QSerialPort::errorOccurred, this,
        [this, raw, name = options.device](QSerialPort::SerialPortError e) {
            // A vanished device reports read errors without end while it stays "open": the first
            // one ends the run.
            if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError ||
                e == QSerialPort::WriteError) {
                if (!m_lost) {
                    m_lost = true;
                    emit Lost(QStringLiteral("%1 went away (%2)").arg(name, raw->errorString()));
                }
            }
        });
    m_device = std::move(port);
    m_deviceName = options.device;
#ifdef Q_OS_UNIX
    // A pty whose far end has closed may read as empty without an error ever being reported, and
    // then wakes the loop without end: ask the descriptor itself a few times a second.
    m_hangupProbe.start(kHangupProbeMs);
#endif
    return true;
}

void LineLink::ProbeHangup() {
#ifdef Q_OS_UNIX
    auto* port = qobject_cast<QSerialPort*>(m_device.get());
    if (m_lost || port == nullptr || port->handle() < 0) {
        return;
    }
    pollfd probe{static_cast<int>(port->handle()), 0, 0};
    if (::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        m_lost = true;
        m_hangupProbe.stop();
        emit Lost(QStringLiteral("%1 went away (hang-up)").arg(m_deviceName));
    }
#endif
}

bool LineLink::OpenTcp(const CentralOptions& options, int connectTimeoutMs) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(options.tcpHost, static_cast<quint16>(options.tcpPort));
    if (!socket->waitForConnected(connectTimeoutMs)) {
        m_error = QStringLiteral("cannot connect to %1: %2")
                      .arg(options.PortName(), socket->errorString());
        return false;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QTcpSocket* raw = socket.get();
    connect(raw, &QTcpSocket::disconnected, this, [this] {
        if (!m_lost) {
            m_lost = true;
            emit Lost(QStringLiteral("the far end closed the connection"));
        }
    });
    m_device = std::move(socket);
    return true;
}

void LineLink::Close(int ms) {
    m_hangupProbe.stop();
    if (!m_device) {
        return;
    }
    m_device->disconnect(this);
    if (ms > 0 && !m_lost) {
        while (m_device->bytesToWrite() > 0 && m_device->waitForBytesWritten(ms)) {
        }
    }
    m_device->close();
    m_device.reset();
}

}  // namespace espa
