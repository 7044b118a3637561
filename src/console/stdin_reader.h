#pragma once

#include <QObject>
#include <QTimer>
#include <string>

class QSocketNotifier;

namespace espa {

// Reads standard input line by line from the event loop, without ever blocking it. The end of
// input is not a command: the reader just stops, and the program goes on until told to quit.
// On Unix a socket notifier watches descriptor 0; on Windows a thread reads and hands each line
// to the event loop.
class StdinReader final : public QObject {
    Q_OBJECT
  public:
    // A line longer than this is refused whole (reported as one empty-named overlong line) rather
    // than held in memory.
    static constexpr std::size_t kMaxLineBytes = 4096;

    explicit StdinReader(QObject* parent = nullptr);
    ~StdinReader() override;

    // Starts reading descriptor `fd` (standard input unless a test says otherwise).
    void Start(int fd = 0);

  signals:
    // One line without its line end ("\n" or "\r\n").
    void LineReceived(const std::string& line);
    // A line that went past kMaxLineBytes; its bytes were dropped.
    void LineTooLong();
    // Input has ended (or cannot be read); no more lines will come.
    void Ended();

  private:
    void OnReadable();
    void TakeBytes(const char* bytes, std::size_t count);
    void Finish();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    // A background job may not read its terminal: it waits here until it is in the foreground.
    QTimer m_foregroundCheck;
    std::string m_pending;
    bool m_skipping = false;  // inside an overlong line, until its end
    bool m_ended = false;
};

}  // namespace espa
