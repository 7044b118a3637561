#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QIODevice;

namespace espa {

struct CentralOptions;

// The line to the paging system: a serial device (a pty does as well) or a TCP connection to a
// terminal server. Open() works before the event loop runs; afterwards the link reports only its
// loss.
class LineLink final : public QObject {
    Q_OBJECT
  public:
    explicit LineLink(QObject* parent = nullptr);
    ~LineLink() override;

    // False with Error() set when the device is missing, busy or refuses to open, or the host
    // cannot be reached within `connectTimeoutMs`.
    bool Open(const CentralOptions& options, int connectTimeoutMs);
    const QString& Error() const { return m_error; }
    // Settings the device did not take, when it said why (a real port; a pty just ignores them).
    const QStringList& Warnings() const { return m_warnings; }

    QIODevice* Device() const { return m_device.get(); }
    // Gives what is still queued for sending up to `ms` to leave, then closes.
    void Close(int ms);

  signals:
    void Lost(const QString& reason);

  private:
    bool OpenSerial(const CentralOptions& options);
    bool OpenTcp(const CentralOptions& options, int connectTimeoutMs);

    void ProbeHangup();

    std::unique_ptr<QIODevice> m_device;
    QTimer m_hangupProbe;
    QString m_deviceName;
    QString m_error;
    QStringList m_warnings;
    bool m_lost = false;
};

}  // namespace espa
