#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "core/line_settings.h"
#include "core/settings_record.h"

class QCommandLineParser;

namespace espa {

// What the command line of espa-monitor asks for.
struct MonitorOptions {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };

    Action action = Action::Run;
    QString error;  // for Fail: one line, no program name

    // The taps, one per direction: a device path or tcp://HOST:PORT; empty when not given.
    QString portA;
    QString portB;
    std::string lineText = "9600,N,8,1";  // as the serial controls take it
    LineSettings line;
    Emulation make = Emulation::Philips;
    int timeoutMs = 3000;
    bool json = false;
    QString writePath;
    QString readPath;
    QString exportPath;
    QString reportPath;  // the run's figures as JSON for espa-report, when not empty
};

// Sets up `parser` with the options and reads `arguments` (program name first).
MonitorOptions ParseMonitorOptions(QCommandLineParser& parser, const QStringList& arguments);

}  // namespace espa
