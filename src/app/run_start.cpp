#include "run_start.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <string>

namespace espa {

RunStart StartRun() {
    QCoreApplication::setApplicationName(QStringLiteral("espa-emulator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ESPA_VERSION_TEXT));

    RunStart start;
    QCommandLineParser parser;
    start.options = ParseCommandLine(parser, QCoreApplication::arguments(),
                                     QCoreApplication::applicationDirPath());
    switch (start.options.action) {
        case CommandLine::Action::ShowHelp:
            std::fputs(qPrintable(parser.helpText()), stdout);
            start.exitStatus = 0;
            return start;
        case CommandLine::Action::ShowVersion:
            std::printf("espa-emulator %s\n", ESPA_VERSION_TEXT);
            start.exitStatus = 0;
            return start;
        case CommandLine::Action::Fail:
            std::fprintf(stderr, "espa-emulator: %s\n", qPrintable(start.options.error));
            start.exitStatus = kUsageError;
            return start;
        case CommandLine::Action::Run:
            break;
    }

    if (!start.options.capture.isEmpty()) {
        start.capture = std::make_unique<CaptureRecorder>();
        const std::string path = QFile::encodeName(start.options.capture).toStdString();
        if (CaptureError error = start.capture->Open(path)) {
            std::fprintf(stderr, "espa-emulator: %s\n", error->c_str());
            start.exitStatus = kUsageError;
            return start;
        }
    }

    if (start.options.demo) {
#ifndef Q_OS_UNIX
        std::fputs("espa-emulator: --demo is not available on this system\n", stderr);
        start.exitStatus = kUsageError;
        return start;
#endif
        std::string error;
        start.demo = DemoLine::Open(error);
        if (!start.demo) {
            std::fprintf(stderr, "espa-emulator: %s\n", error.c_str());
            start.exitStatus = kStartError;
        }
    }
    return start;
}

}  // namespace espa
