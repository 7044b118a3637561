#include "serial/qt_serial_control.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMetaObject>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <limits>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

#include "serial/qt_line_settings.h"

namespace espa {
namespace {

// A device that reports this many read errors in a row without delivering a byte is taken as
// gone even where the system cannot be asked directly.
constexpr int kReadErrorsBeforeLost = 1000;

constexpr int kNoHandshake = 0;
constexpr int kXonXoff = 1;
constexpr int kRtsCts = 2;
constexpr int kRtsCtsAndXonXoff = 3;

// Whether the system confirms that the open device has gone. On Unix a short read or a resource
// error may also be passing (no data after all, a full output queue), so the descriptor is asked
// whether it has hung up.
bool DeviceGone([[maybe_unused]] QSerialPort::SerialPortError error,
                [[maybe_unused]] qintptr handle) {
#ifdef Q_OS_UNIX
    if (handle < 0) {
        return true;
    }
    pollfd probe{static_cast<int>(handle), 0, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return error == QSerialPort::ResourceError;
#endif
}

}  // namespace

QtSerialControl::QtSerialControl(PortResolver resolver) : m_resolver(std::move(resolver)) {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { OnError(error); });
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] {
        m_readErrors = 0;
        m_tap.Arrived(m_port);
    });
}

QtSerialControl::~QtSerialControl() {
    m_port.close();
}

bool QtSerialControl::SetCommPort(std::int16_t portNumber) {
    const bool reopeningLost = m_lost && portNumber == m_portNumber;
    if ((m_open && !reopeningLost) || portNumber < 1) {
        return false;
    }
    m_portNumber = portNumber;
    return true;
}

bool QtSerialControl::SetSettings(const std::string& settings) {
    const std::optional<LineSettings> line = ParseLineSettings(settings);
    if (!line) {
        return false;
    }
    m_line = *line;
    return !Usable() || ApplyLineSettings();
}

bool QtSerialControl::SetHandshaking(int mode) {
    if (mode < kNoHandshake || mode > kRtsCtsAndXonXoff) {
        return false;
    }
    m_handshaking = mode;
    return !Usable() || (ApplyFlowControl() && ApplyRts());
}

bool QtSerialControl::SetRTSEnable(bool on) {
    m_rts = on;
    return !Usable() || ApplyRts();
}

bool QtSerialControl::SetDTREnable(bool on) {
    m_dtr = on;
    return !Usable() || ApplyDtr();
}

bool QtSerialControl::SetNullDiscard(bool discard) {
    return !discard;
}

bool QtSerialControl::SetEOFEnable(bool enable) {
    return !enable;
}

bool QtSerialControl::SetInputLen(int length) {
    if (length < 0) {
        return false;
    }
    m_inputLen = length;
    return true;
}

bool QtSerialControl::SetPortOpen(bool open) {
    if (!open) {
        CloseDevice();
        m_open = false;
        m_lost = false;
        return true;
    }
    if (m_lost) {
        // The settings may have been set again since the device was reclaimed: apply them now.
        if (!ReclaimLostPort() || !Configure()) {
            CloseDevice();
            return false;
        }
        m_reclaimed = false;
        m_lost = false;
        return true;
    }
    if (m_open) {
        return false;
    }
    const QString device = m_resolver ? m_resolver(m_portNumber) : QString();
    if (device.isEmpty()) {
        return false;
    }
    if (!OpenAndConfigure(device)) {
        qWarning("Cannot open %s: %s", qPrintable(device), qPrintable(m_port.errorString()));
        m_port.clearError();
        return false;
    }
    m_device = device;
    m_open = true;
    return true;
}

// Runs once a second while the device is away, so a failure says nothing.
bool QtSerialControl::ReclaimLostPort() {
    if (!m_lost) {
        return false;
    }
    if (m_reclaimed) {
        return true;
    }
    // The dead descriptor may still be open when this runs before the queued close.
    CloseDevice();
    if (!ComesBack(m_device)) {
        return false;
    }
#ifdef Q_OS_UNIX
    // A missing path (link removed or dangling, adapter unplugged) is told without an open.
    if (!QFileInfo::exists(m_device)) {
        return false;
    }
#endif
    if (!OpenAndConfigure(m_device)) {
        m_port.clearError();
        return false;
    }
    m_reclaimed = true;
    return true;
}

bool QtSerialControl::OpenAndConfigure(const QString& device) {
    // QSerialPort applies its stored line settings inside open() and fails the open when one is
    // refused; a virtual line refuses parity and data bits, so open plain and apply afterwards.
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_virtualLine = false;
    m_readErrors = 0;
    if (!m_port.open(QIODevice::ReadWrite)) {
        return false;
    }
    if (!Configure()) {
        m_port.close();
        return false;
    }
    return true;
}

bool QtSerialControl::Configure() {
    // DTR first: its refusal tells a virtual line, which then excuses the refusals below.
    return ApplyDtr() && ApplyLineSettings() && ApplyFlowControl() && ApplyRts();
}

bool QtSerialControl::ComesBack([[maybe_unused]] const QString& device) {
#ifdef Q_OS_LINUX
    return !device.startsWith(QStringLiteral("/dev/pts/"));
#else
    return true;
#endif
}

void QtSerialControl::CloseDevice() {
    m_port.close();
    m_tap.Forget();
    m_port.clearError();
    m_reclaimed = false;
}

std::optional<int> QtSerialControl::InBufferCount() {
    if (!Usable()) {
        return std::nullopt;
    }
    return static_cast<int>(
        std::min<qint64>(m_port.bytesAvailable(), std::numeric_limits<std::int16_t>::max()));
}

std::optional<std::string> QtSerialControl::Input() {
    if (!Usable()) {
        return std::nullopt;
    }
    m_tap.Arrived(m_port);
    const qint64 waiting = m_port.bytesAvailable();
    const qint64 wanted = m_inputLen == 0 ? waiting : std::min<qint64>(waiting, m_inputLen);
    const QByteArray bytes = m_port.read(wanted);
    m_tap.Taken(bytes.size());
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QtSerialControl::Output(const std::string& bytes) {
    if (!Usable()) {
        return false;
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    if (m_port.write(bytes.data(), size) != size) {
        return false;
    }
    m_tap.Written(bytes);
    // Hand the bytes to the driver now rather than at the next turn of the event loop; what
    // flow control holds back stays queued and goes out later.
    m_port.flush();
    return true;
}

std::optional<bool> QtSerialControl::CTSHolding() {
    if (!Usable()) {
        return std::nullopt;
    }
    if (m_virtualLine) {
        return false;
    }
    const QSerialPort::PinoutSignals lines = m_port.pinoutSignals();
    if (m_port.error() != QSerialPort::NoError) {
        m_port.clearError();
        return false;
    }
    return lines.testFlag(QSerialPort::ClearToSendSignal);
}

bool QtSerialControl::ApplyLineSettings() {
    return Tolerated(m_port.setBaudRate(m_line.baud)) &&
           Tolerated(m_port.setDataBits(ToQtDataBits(m_line.dataBits))) &&
           Tolerated(m_port.setParity(ToQtParity(m_line.parity))) &&
           Tolerated(m_port.setStopBits(ToQtStopBits(m_line.stopBits)));
}

bool QtSerialControl::ApplyFlowControl() {
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (m_handshaking == kXonXoff) {
        flow = QSerialPort::SoftwareControl;
    } else if (m_handshaking == kRtsCts || m_handshaking == kRtsCtsAndXonXoff) {
        // QSerialPort offers one kind at a time; the hardware lines are the ones that matter.
        flow = QSerialPort::HardwareControl;
    }
    return Tolerated(m_port.setFlowControl(flow));
}

bool QtSerialControl::ApplyRts() {
    // Under RTS/CTS flow control the driver drives RTS itself and refuses a manual level.
    if (m_virtualLine || m_port.flowControl() == QSerialPort::HardwareControl) {
        return true;
    }
    const bool applied = m_port.setRequestToSend(m_rts);
    if (!applied && m_port.error() == QSerialPort::UnsupportedOperationError) {
        m_virtualLine = true;
    }
    return Tolerated(applied);
}

bool QtSerialControl::ApplyDtr() {
    if (m_virtualLine) {
        return true;
    }
    const bool applied = m_port.setDataTerminalReady(m_dtr);
    if (!applied && m_port.error() == QSerialPort::UnsupportedOperationError) {
        m_virtualLine = true;
    }
    return Tolerated(applied);
}

bool QtSerialControl::Tolerated(bool applied) {
    if (applied) {
        return true;
    }
    const bool tolerated =
        m_virtualLine && m_port.error() == QSerialPort::UnsupportedOperationError;
    m_port.clearError();
    return tolerated;
}

// Read errors come in a tight loop once the device has gone (the read notifier keeps firing on
// the hung-up descriptor). The first one that the system confirms, or a long run of them, ends
// the port's use: closing it stops the loop. The close is queued because this runs inside
// QSerialPort's own notification.
void QtSerialControl::OnError(QSerialPort::SerialPortError error) {
    if (m_lost || !m_open) {
        return;
    }
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) {
        return;
    }
    const bool gone = DeviceGone(error, m_port.handle()) || ++m_readErrors >= kReadErrorsBeforeLost;
    if (!gone) {
        return;
    }
    m_lost = true;
    QMetaObject::invokeMethod(
        &m_port,
        [this] {
            if (m_lost && !m_reclaimed) {
                CloseDevice();
            }
        },
        Qt::QueuedConnection);
    if (m_portLost) {
        m_portLost();
    }
}

}  // namespace espa
