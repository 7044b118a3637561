#pragma once

#include <signal.h>

#include <QProcess>
#include <algorithm>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace espa::test {

inline int Count(std::string_view text, std::string_view part, std::size_t from = 0) {
    const std::size_t at = text.find(part, from);
    return at == std::string_view::npos ? 0 : 1 + Count(text, part, at + 1);
}

// A real program started as a user would start it, with standard input /dev/null or, with
// `inputPipe`, a pipe the test writes to. Every wait has a deadline; none sleeps a fixed time.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 bool inputPipe = false) {
        QStringList args;
        std::ranges::transform(arguments, std::back_inserter(args), &QString::fromStdString);
        if (!inputPipe) {
            m_process.setStandardInputFile(QProcess::nullDevice());
        }
        m_process.start(QString::fromStdString(program), args);
        if (!m_process.waitForStarted()) {
            throw std::runtime_error("cannot start " + program);
        }
    }
    ~ChildProcess() { m_process.kill(), m_process.waitForFinished(); }
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
