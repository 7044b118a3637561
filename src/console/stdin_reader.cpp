#include "stdin_reader.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#else
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <iostream>
#include <thread>
#endif

namespace espa {
namespace {

constexpr int kForegroundCheckMs = 1000;

}  // namespace

StdinReader::StdinReader(QObject* parent) : QObject(parent) {
    m_foregroundCheck.setSingleShot(true);
    m_foregroundCheck.setInterval(kForegroundCheckMs);
    connect(&m_foregroundCheck, &QTimer::timeout, this, [this] {
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(true);
        }
    });
}

StdinReader::~StdinReader() = default;

void StdinReader::TakeBytes(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            if (m_skipping) {
                m_skipping = false;
            } else {
                if (!m_pending.empty() && m_pending.back() == '\r') {
                    m_pending.pop_back();
                }
                emit LineReceived(m_pending);
            }
            m_pending.clear();
            continue;
        }
        if (m_skipping) {
            continue;
        }
        m_pending += c;
        if (m_pending.size() > kMaxLineBytes) {
            m_pending.clear();
            m_skipping = true;
            emit LineTooLong();
        }
    }
}

// A last line without its line end still counts.
void StdinReader::Finish() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    if (!m_pending.empty() && !m_skipping) {
        emit LineReceived(m_pending);
    }
    m_pending.clear();
    emit Ended();
}

#ifdef Q_OS_UNIX

void StdinReader::Start(int fd) {
    if (m_notifier != nullptr || m_ended) {
        return;
    }
    m_fd = fd;
    // Standard input may have been closed altogether (started with "<&-").
    if (::fcntl(fd, F_GETFD) < 0) {
        Finish();
        return;
    }
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinReader::OnReadable);
}

void StdinReader::OnReadable() {
    // Reading the terminal from the background would stop the whole program (SIGTTIN); what is
    // typed there is the shell's anyway. Look again later.
    if (::isatty(m_fd) != 0 && ::tcgetpgrp(m_fd) != ::getpgrp()) {
        m_notifier->setEnabled(false);
        m_foregroundCheck.start();
        return;
    }
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        TakeBytes(buffer, static_cast<std::size_t>(n));
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
        return;
    }
    // End of input, or input that cannot be read: nothing more will come, and a notifier left on
    // would fire for ever.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    Finish();
}

#else

// The console's standard input cannot be watched by the event loop here: a thread reads it and
// posts each line to the application object, whose thread is the reader's. The thread may stay
// blocked in a read at the end of the program, so it is detached; the posted calls look at the
// reader only on the event loop's thread.
void StdinReader::Start(int) {
    if (m_ended) {
        return;
    }
    QPointer<StdinReader> self(this);
    std::thread([self] {
        std::string line;
        while (std::getline(std::cin, line)) {
            line += '\n';
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, line] {
                    if (self) {
                        self->TakeBytes(line.data(), line.size());
                    }
                },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self) {
                    self->Finish();
                }
            },
            Qt::QueuedConnection);
    }).detach();
}

void StdinReader::OnReadable() {}

#endif

}  // namespace espa
