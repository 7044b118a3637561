// espa-central: plays the control station against a paging system on a line.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "central/central_schedule.h"
#include "central_options.h"
#include "central_runner.h"
#include "common/signal_watcher.h"
#include "core/make_variant.h"
#include "line_link.h"

namespace {

constexpr int kUsageError = 2;
// What may still wait in the output queue at the end (an EOT closing the last exchange).
constexpr int kDrainMs = 500;

int Fail(const QString& error) {
    std::fprintf(stderr, "espa-central: %s\n", qPrintable(error));
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("espa-central"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ESPA_VERSION_TEXT));

    QCommandLineParser parser;
    const espa::CentralOptions options =
        espa::ParseCentralOptions(parser, QCoreApplication::arguments());
    switch (options.action) {
        case espa::CentralOptions::Action::ShowHelp:
            std::fputs(qPrintable(parser.helpText()), stdout);
            return 0;
        case espa::CentralOptions::Action::ShowVersion:
            std::printf("espa-central %s\n", ESPA_VERSION_TEXT);
            return 0;
        case espa::CentralOptions::Action::Fail:
            return Fail(options.error);
        case espa::CentralOptions::Action::Run:
            break;
    }

    espa::LineLink line;
    if (!line.Open(options, options.timeoutMs)) {
        return Fail(line.Error());
    }
    for (const QString& warning : line.Warnings()) {
        std::fprintf(stderr, "espa-central: warning: %s\n", qPrintable(warning));
    }

    espa::CentralSession::Timing timing;
    timing.answerTimeoutMs = options.timeoutMs;
    timing.transferCheckOffset = options.commTech ? espa::kCommTechCheckOffset : 0;
    timing.retries = options.nakRetries;
    timing.reselect = options.reselect;
    timing.timeoutRetries = options.timeoutRetries;
    timing.retryIntervalMs = options.retryIntervalMs;
    espa::CentralSchedule schedule(
        {options.jobs, options.pollIntervalMs, options.polls, options.durationMs}, timing);
    const bool anyCall = std::ranges::any_of(options.jobs, [](const espa::CentralJob& job) {
        return job.kind == espa::CentralJob::Kind::Call;
    });
    if (anyCall && !options.polls && !options.durationMs) {
        schedule.EndWhenCallsAnswered(options.statusTimeoutMs);
    }
    espa::CentralRunner runner(schedule, *line.Device(), options.json, stdout);

    QObject::connect(&runner, &espa::CentralRunner::Finished, &app,
                     [](int code) { QCoreApplication::exit(code); });
    QObject::connect(&line, &espa::LineLink::Lost, &runner, [&runner](const QString& reason) {
        std::fprintf(stderr, "espa-central: line lost: %s\n", qPrintable(reason));
        runner.Stop(true);
    });
    espa::SignalWatcher watcher;
    QObject::connect(&watcher, &espa::SignalWatcher::StopRequested, &runner,
                     [&runner] { runner.Stop(false); });

    runner.Start();
    const int result = app.exec();
    line.Close(kDrainMs);
    return result;
}
