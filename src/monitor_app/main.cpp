// espa-monitor: listens to the line between a central and a paging system and decodes it.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <iostream>

#include "common/signal_watcher.h"
#include "monitor_options.h"
#include "monitor_session.h"

namespace {

constexpr int kUsageError = 2;

int Fail(const std::string& error) {
    std::fprintf(stderr, "espa-monitor: %s\n", error.c_str());
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("espa-monitor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ESPA_VERSION_TEXT));

    QCommandLineParser parser;
    const espa::MonitorOptions options =
        espa::ParseMonitorOptions(parser, QCoreApplication::arguments());
    switch (options.action) {
        case espa::MonitorOptions::Action::ShowHelp:
            std::fputs(qPrintable(parser.helpText()), stdout);
            return 0;
        case espa::MonitorOptions::Action::ShowVersion:
            std::printf("espa-monitor %s\n", ESPA_VERSION_TEXT);
            return 0;
        case espa::MonitorOptions::Action::Fail:
            return Fail(options.error.toStdString());
        case espa::MonitorOptions::Action::Run:
            break;
    }

    espa::MonitorSession session(options, std::cout, std::cerr);
    std::string error;
    if (!session.OpenFiles(error)) {
        return Fail(error);
    }
    if (!options.readPath.isEmpty()) {
        return session.ReadCapture();
    }
    if (!session.OpenPorts(error)) {
        return Fail(error);
    }
    espa::SignalWatcher watcher;
    QObject::connect(&watcher, &espa::SignalWatcher::StopRequested, &app,
                     [] { QCoreApplication::exit(0); });
    session.Start();
    app.exec();
    return session.Finish();
}
