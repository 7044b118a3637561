// CPU and memory of the real program with nothing on the line: headless, and with its window on
// the offscreen platform. Com1 is a pty that stays silent, so the port is open and every timer
// ticks as in use.
//
//   espa-bench-idle [--seconds S] [--program PATH] [--headless-only]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "emulator_run.h"
#include "line_ends.h"
#include "temp_dir.h"

namespace espa::bench {
namespace {

using namespace std::chrono_literals;

struct IdleResult {
    double cpuPercent = -1;
    long peakKb = -1;
    long residentKb = -1;
};

// Level 1: the log window is shown (the tall window) and lines go to the screen.
IdleResult MeasureIdle(const std::string& program, bool window, int seconds) {
    test::TempDir dir;
    test::WriteFile(dir.path() / "espa.set",
                    "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->4\r\n"
                    "12       Parity ->0\r\n13       Bits ->1\r\n14       StopBits ->0\r\n"
                    "15       HandShake ->0\r\n20       Logfile ->1\r\n");
    test::PtyPair line;
    std::vector<std::string> args{"--app-dir", dir.path().string(), "--port",
                                  "Com1=" + line.SlavePath()};
    std::vector<std::string> env;
    if (window) {
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    } else {
        args.insert(args.begin(), "--headless");
    }
    EmulatorRun run(program, args, dir.path() / "stdout.txt", env);
    IdleResult result;
    if (!window && !run.WaitForOutput("opened for ESPA emulation", 5s)) {
        std::fprintf(stderr, "the program did not open the pty\n");
        return result;
    }
    // Start-up (fonts, the first paint) is not idle time.
    std::this_thread::sleep_for(window ? 3s : 1s);
    const double before = run.CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = run.CpuSeconds() - before;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuPercent = cpu / wall * 100.0;
    result.peakKb = run.StatusKb("VmHWM");
    result.residentKb = run.StatusKb("VmRSS");
    run.Stop();
    return result;
}

void Print(const char* name, const IdleResult& r, double cpuTarget, long memoryTargetMb) {
    std::printf(
        "%-26s %7.3f %%   (target < %.1f %%: %s)   peak %6.1f MB, now %6.1f MB   "
        "(target < %ld MB: %s)\n",
        name, r.cpuPercent, cpuTarget, r.cpuPercent < cpuTarget ? "yes" : "NO", r.peakKb / 1024.0,
        r.residentKb / 1024.0, memoryTargetMb,
        r.peakKb >= 0 && r.peakKb < memoryTargetMb * 1024 ? "yes" : "NO");
}

std::string Option(int argc, char** argv, const char* name, const std::string& fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return fallback;
}

int Main(int argc, char** argv) {
    const int seconds = std::atoi(Option(argc, argv, "--seconds", "60").c_str());
    const std::string program = Option(argc, argv, "--program", ESPA_EMULATOR_PATH);
    bool headlessOnly = false;
    for (int i = 1; i < argc; ++i) {
        headlessOnly = headlessOnly || std::strcmp(argv[i], "--headless-only") == 0;
    }

    std::printf("Idle line for %d s: CPU as a share of one core, memory as VmHWM/VmRSS.\n",
                seconds);
    Print("headless", MeasureIdle(program, false, seconds), 0.4, 12);
    if (!headlessOnly) {
        Print("window (offscreen)", MeasureIdle(program, true, seconds), 1.0, 60);
    }
    return 0;
}

}  // namespace
}  // namespace espa::bench

int main(int argc, char** argv) {
    return espa::bench::Main(argc, argv);
}
