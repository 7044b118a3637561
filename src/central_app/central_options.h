#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "central/central_schedule.h"
#include "core/line_settings.h"

class QCommandLineParser;

namespace espa {

// What the command line of espa-central asks for.
struct CentralOptions {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };

    Action action = Action::Run;
    QString error;  // for Fail: one line, no program name

    // The line: a device path, or a TCP host and port when the port was given as tcp://HOST:PORT.
    QString device;
    QString tcpHost;
    int tcpPort = 0;
    LineSettings line;  // 9600,N,8,1 unless the options say otherwise

    std::vector<CentralJob> jobs;
    int pollIntervalMs = 1000;
    std::optional<int> polls;
    std::optional<int> durationMs;
    int timeoutMs = 3000;
    int nakRetries = 2;
    bool reselect = true;
    int timeoutRetries = 0;
    int retryIntervalMs = 1000;
    int statusTimeoutMs = 60000;  // for the natural end: calls given, no --polls, no --duration
    bool commTech = false;
    bool json = false;

    bool IsTcp() const { return !tcpHost.isEmpty(); }
    // The port as the user named it, for messages.
    QString PortName() const;
};

// Sets up `parser` with the options and reads `arguments` (program name first).
CentralOptions ParseCentralOptions(QCommandLineParser& parser, const QStringList& arguments);

}  // namespace espa
