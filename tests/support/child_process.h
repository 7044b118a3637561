#pragma once

#include <signal.h>

#include <QProcess>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace espa::test {

inline int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A real program started as a user would start it, with standard input /dev/null or, with
// `inputPipe`, a pipe the test writes to. Every wait has a deadline; none sleeps a fixed time.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 bool inputPipe = false) {
        QStringList args;
        for (const std::string& a : arguments) {
            args << QString::fromStdString(a);
        }
        if (!inputPipe) {
            m_process.setStandardInputFile(QProcess::nullDevice());
        }
        m_process.start(QString::fromStdString(program), args);
        if (!m_process.waitForStarted()) {
            throw std::runtime_error("cannot start " + program);
        }
    }
    ~ChildProcess() {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 Pid() const { return m_process.processId(); }

    // Until standard output holds `text` `count` times.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds deadline, int count = 1) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (Count(Stdout(), text) < count && m_process.state() == QProcess::Running &&
               std::chrono::steady_clock::now() < end) {
            m_process.waitForReadyRead(20);
        }
        return Count(Stdout(), text) >= count;
    }
    const std::string& Stdout() { return m_out += m_process.readAllStandardOutput().toStdString(); }
    const std::string& Stderr() { return m_err += m_process.readAllStandardError().toStdString(); }

    // The exit status, or nothing when the program did not end in time or ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline) {
        if (m_process.state() != QProcess::NotRunning &&
            !m_process.waitForFinished(static_cast<int>(deadline.count()))) {
            return std::nullopt;
        }
        Stdout(), Stderr();
        return m_process.exitStatus() == QProcess::NormalExit
                   ? std::optional<int>(m_process.exitCode())
                   : std::nullopt;
    }
    std::optional<int> Stop(int signalNumber, std::chrono::milliseconds deadline) {
        // Once the program has ended its id is no longer its own.
        if (m_process.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(Pid()), signalNumber);
        }
        return WaitForExit(deadline);
    }
    void WriteInput(const std::string& text) {
        m_process.write(text.data(), static_cast<qint64>(text.size()));
        if (!m_process.waitForBytesWritten()) {
            throw std::runtime_error("write to the program's standard input failed");
        }
    }

  private:
    QProcess m_process;
    std::string m_out, m_err;
};

struct ProgramResult {
    std::optional<int> exitCode;
    std::string out, err;
};

// Starts the program and waits for it to end by itself.
inline ProgramResult RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                              std::chrono::milliseconds deadline) {
    ChildProcess process(program, arguments);
    const std::optional<int> exitCode = process.WaitForExit(deadline);
    return {exitCode, process.Stdout(), process.Stderr()};
}

}  // namespace espa::test
