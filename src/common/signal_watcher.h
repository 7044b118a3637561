#pragma once

#include <QObject>

class QSocketNotifier;

namespace espa {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop's thread. The handler itself only
// writes one byte to a pipe (all a signal handler may safely do); the event loop reads it.
class SignalWatcher final : public QObject {
    Q_OBJECT
  public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // False when the pipe or the handlers could not be set up.
    bool IsWatching() const { return m_notifier != nullptr; }

  signals:
    void StopRequested(int signalNumber);

  private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace espa
