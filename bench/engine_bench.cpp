// How fast the engine steps, and what the level-3 character trace costs: the session handler
// driven tick by tick over in-process byte queues, with recorded central traffic played back.
//
//   espa-bench-engine [--ticks N] [--trace-ticks N] [--trace-seconds S] [--level0-only]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "byte_queue_control.h"
#include "engine/emulator.h"
#include "fixed_clock.h"
#include "line_recording.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::bench {
namespace {

constexpr double kTicksPerSecond = 40.0;
constexpr double kCharsPerSecondAt19200 = 1920.0;  // 10 bits a character
constexpr double kMinTimedSeconds = 2.0;
// Call texts of this length, each call followed by a poll, put about 1920 characters a second on
// the line.
constexpr int kTraceInfoLength = 310;
// A poll (or every fourth time a call) after half a second of silence.
constexpr int kPacedPauseTicks = 20;

// CPU time rather than wall time: on a shared machine the wall clock also counts the time other
// programs had the core.
double CpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Run {
    double cpuSeconds = 0;
    long ticks = 0;
    bool sameAnswers = true;
};

// A fresh emulator at `level` (its folders in a temporary folder) fed the first `ticks` ticks of
// the recording; with `check`, each tick's answer is compared with the recorded one.
Run PlayBack(const LineRecording& recording, long ticks, int level, bool check) {
    ByteQueueControl control;
    test::RecordingView view;
    test::FixedClock clock;
    test::TempDir dir;
    Emulator emulator(control, view, clock, dir.path());
    emulator.Settings().Logfile = static_cast<std::int16_t>(level);
    emulator.OpenPortFromSettings();
    control.tx.clear();

    Run run;
    run.ticks = ticks;
    const char* bytes = recording.received.data();
    std::uint32_t at = 0;
    std::uint32_t sentAt = 0;
    const double cpuStart = CpuSeconds();
    for (long t = 0; t < ticks; ++t) {
        const std::uint32_t end = recording.receivedEnd[static_cast<std::size_t>(t)];
        if (end != at) {
            control.Receive(bytes + at, end - at);
            at = end;
        }
        emulator.HandlerTick();
        if (check) {
            const std::uint32_t sentEnd = recording.sentEnd[static_cast<std::size_t>(t)];
            run.sameAnswers =
                run.sameAnswers && control.tx == recording.sent.substr(sentAt, sentEnd - sentAt);
            sentAt = sentEnd;
        }
        control.tx.clear();
    }
    run.cpuSeconds = CpuSeconds() - cpuStart;
    return run;
}

// Steps per CPU second: the median of repeated runs lasting kMinTimedSeconds together.
double StepsPerSecond(const LineRecording& recording, long ticks, int level) {
    std::vector<double> rates;
    double total = 0;
    while (total < kMinTimedSeconds || rates.size() < 3) {
        const Run run = PlayBack(recording, ticks, level, false);
        rates.push_back(static_cast<double>(run.ticks) / run.cpuSeconds);
        total += run.cpuSeconds;
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

// Steps with nothing received: the handler waiting in idle.
double IdleStepsPerSecond() {
    ByteQueueControl control;
    test::RecordingView view;
    test::FixedClock clock;
    test::TempDir dir;
    Emulator emulator(control, view, clock, dir.path());
    emulator.OpenPortFromSettings();
    constexpr long kSteps = 20'000'000;
    const double start = CpuSeconds();
    for (long t = 0; t < kSteps; ++t) {
        emulator.HandlerTick();
    }
    return kSteps / (CpuSeconds() - start);
}

bool Flag(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return true;
        }
    }
    return false;
}

long Option(int argc, char** argv, const char* name, long fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atol(argv[i + 1]);
        }
    }
    return fallback;
}

int Main(int argc, char** argv) {
    const long ticks = Option(argc, argv, "--ticks", 400'000);
    const long traceTicks = std::min(ticks, Option(argc, argv, "--trace-ticks", 40'000));
    const long traceSeconds = Option(argc, argv, "--trace-seconds", 300);
    // For looking at the level-0 step alone, e.g. under a profiler.
    const bool level0Only = Flag(argc, argv, "--level0-only");

    std::printf(
        "Engine throughput: Philips, status PAGED, everyday traffic (calls, status\n"
        "requests and polls back to back), %ld ticks = %.0f s of line time.\n",
        ticks, ticks / kTicksPerSecond);
    const LineRecording everyday = RecordSession(ticks, EverydayTraffic(20261206u));
    const double charsPerTick =
        static_cast<double>(everyday.received.size() + everyday.sent.size()) /
        static_cast<double>(ticks);
    std::printf("  traffic: %.2f characters per tick (%.0f per second of line time)\n",
                charsPerTick, charsPerTick * kTicksPerSecond);

    const bool same0 = PlayBack(everyday, ticks, 0, true).sameAnswers;
    const bool same3 = level0Only || PlayBack(everyday, traceTicks, 3, true).sameAnswers;
    std::printf("  played back, the emulator answers as recorded: level 0 %s, level 3 %s\n",
                same0 ? "yes" : "NO",
                level0Only ? "not run"
                : same3    ? "yes"
                           : "NO");

    const double idle = IdleStepsPerSecond();
    const double level0 = StepsPerSecond(everyday, ticks, 0);
    const LineRecording paced = RecordSession(ticks, PacedTraffic(kPacedPauseTicks));
    const double pacedCharsPerTick =
        static_cast<double>(paced.received.size() + paced.sent.size()) / static_cast<double>(ticks);
    const double pacedLevel0 = StepsPerSecond(paced, ticks, 0);
    const bool samePaced = PlayBack(paced, ticks, 0, true).sameAnswers;
    std::printf("  idle line, level 0:   %8.2f million steps/s (%6.1f ns a step)\n", idle / 1e6,
                1e9 / idle);
    std::printf("  with traffic, level 0: %7.2f million steps/s (%6.1f ns a step)\n", level0 / 1e6,
                1e9 / level0);
    std::printf(
        "  ordinary pace, level 0: %6.2f million steps/s (%6.1f ns a step; a poll or a call "
        "every %d ms of silence, %.0f characters a second%s)\n",
        pacedLevel0 / 1e6, 1e9 / pacedLevel0, kPacedPauseTicks * 25,
        pacedCharsPerTick * kTicksPerSecond, samePaced ? "" : "; NOT answered as recorded");
    if (level0Only) {
        return same0 && samePaced ? 0 : 1;
    }
    const double level3 = StepsPerSecond(everyday, traceTicks, 3);
    std::printf(
        "  with traffic, level 3: %7.3f million steps/s (%6.1f us a step; first %ld "
        "ticks)\n",
        level3 / 1e6, 1e6 / level3, traceTicks);

    // The trace at the line's full speed: long calls so that about 1920 characters a second
    // cross the line, and the CPU the engine needs for one second of that line time.
    const long traceLineTicks = traceSeconds * static_cast<long>(kTicksPerSecond);
    const LineRecording busy = RecordSession(traceLineTicks, LongCalls(kTraceInfoLength));
    const double chars = static_cast<double>(busy.received.size() + busy.sent.size());
    const double charsPerSecond = chars / static_cast<double>(traceSeconds);
    std::printf(
        "\nTrace cost: %ld s of line time with long calls, %.0f characters a second "
        "crossing the line (19200 baud carries %.0f).\n",
        traceSeconds, charsPerSecond, kCharsPerSecondAt19200);
    for (int level : {0, 3}) {
        std::vector<double> cpu;
        for (int pass = 0; pass < 3; ++pass) {
            cpu.push_back(PlayBack(busy, traceLineTicks, level, false).cpuSeconds);
        }
        std::sort(cpu.begin(), cpu.end());
        const double perLineSecond = cpu[1] / static_cast<double>(traceSeconds);
        const double at1920 = cpu[1] / chars * kCharsPerSecondAt19200;
        std::printf(
            "  level %d: %8.3f ms CPU per second of line time; at 1920 characters a "
            "second %8.3f ms (%.3f %% of one core)\n",
            level, perLineSecond * 1e3, at1920 * 1e3, at1920 * 100.0);
    }
    return same0 && same3 && samePaced ? 0 : 1;
}

}  // namespace
}  // namespace espa::bench

int main(int argc, char** argv) {
    return espa::bench::Main(argc, argv);
}
