// Answer times of the real program over a pty: this program plays the central, runs select, call,
// poll and status transfer exchanges and times each answer against what the 25 ms handler tick
// allows. It runs the program three times: headless without and with --decode, and with its window
// (on Qt's offscreen platform) and the Line view open, so the cost of watching and showing the line
// shows in the same units.
//
//   espa-bench-latency [--exchanges N] [--program PATH] [--only off|on|view]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "emulator_run.h"
#include "espa_frames.h"
#include "line_ends.h"
#include "temp_dir.h"

namespace espa::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace test::frames;

constexpr double kTickMs = 25.0;
constexpr auto kAnswerDeadline = 2s;

// What one measurement should show: the answer goes out on the `step`-th handler step after the
// bytes arrive. When the central starts the exchange (after a pause of its own) the bytes arrive
// at any point of a tick, so the answer comes between (step - 1) and step ticks later; when the
// central answers the emulator at once, the bytes arrive just after a step and the answer comes
// `step` ticks later, less the central's own turnaround.
struct Measurement {
    const char* name;
    int step;
    bool phaseLocked;
    std::vector<double> ms;

    double IdealLow() const { return (phaseLocked ? step : step - 1) * kTickMs; }
    double IdealHigh() const { return step * kTickMs; }
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Writes `bytes`, then waits for `expected`; the time from the write to the last expected byte,
// or a negative value when something else or nothing came.
double Time(test::PtyPair& line, const std::string& bytes, const std::string& expected) {
    line.Write(bytes);
    const auto sent = Clock::now();
    const std::string answer = line.Read(expected.size(), kAnswerDeadline);
    const double ms = MsSince(sent);
    if (answer != expected) {
        std::fprintf(stderr, "unexpected answer: %s (wanted %s)\n", Visible(answer).c_str(),
                     Visible(expected).c_str());
        return -1;
    }
    return ms;
}

std::string Option(int argc, char** argv, const char* name, const std::string& fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return fallback;
}

// One run of the program; false when an answer failed or a p99 was more than a tick late.
enum class Watch { Off, Decode, LineView };

bool MeasureRun(const std::string& program, int exchanges, Watch watch) {
    test::TempDir dir;
    test::WriteFile(dir.path() / "espa.set",
                    "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->4\r\n"
                    "12       Parity ->0\r\n13       Bits ->1\r\n14       StopBits ->0\r\n"
                    "15       HandShake ->0\r\n20       Logfile ->1\r\n");
    test::PtyPair line;
    std::vector<std::string> arguments{"--app-dir", dir.path().string(), "--port",
                                       "Com1=" + line.SlavePath()};
    arguments.emplace_back(watch == Watch::LineView ? "--line-view" : "--headless");
    if (watch == Watch::Decode) {
        arguments.emplace_back("--decode");
    }
    EmulatorRun run(program, arguments, dir.path() / "stdout.txt", {"QT_QPA_PLATFORM=offscreen"});
    // A window says nothing on standard output; its start-up is given time instead.
    if (watch == Watch::LineView) {
        std::this_thread::sleep_for(3s);
    } else if (!run.WaitForOutput("opened for ESPA emulation", 5s)) {
        std::fprintf(stderr, "the program did not open the pty\n");
        return false;
    }

    Measurement select{"select \"1\" ENQ \"2\" ENQ -> ACK", 4, false, {}};
    Measurement block{"call block check character -> ACK", 3, true, {}};
    Measurement poll{"poll \"2\" ENQ -> \"1\" ENQ", 3, false, {}};
    Measurement transfer{"ACK of \"1\" ENQ -> status transfer", 2, true, {}};
    Measurement eot{"ACK of status transfer -> EOT", 1, true, {}};

    std::mt19937 random(1206u);
    std::uniform_int_distribution<int> pauseUs(0, 100'000);
    int failures = 0;
    for (int i = 0; i < exchanges; ++i) {
        const std::string data =
            Field('1', std::to_string(100 + i % 900)) + RS + Field('2', "Bench call");
        const std::string statusBlock = Block('2', data + RS + Field('7', "3"));

        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const double s = Time(line, test::kSelect, std::string(1, ACK));
        const double b = s < 0 ? -1 : Time(line, Block('1', data), std::string(1, ACK));
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const double p = b < 0 ? -1 : Time(line, test::kPoll, std::string("1") + ENQ);
        const double t = p < 0 ? -1 : Time(line, std::string(1, ACK), statusBlock);
        const double e = t < 0 ? -1 : Time(line, std::string(1, ACK), std::string(1, EOT));
        if (e < 0) {
            ++failures;
            // Let every handler timeout run out, so the next exchange starts from idle.
            std::this_thread::sleep_for(6s);
            line.ReadFor(100ms);
            continue;
        }
        select.ms.push_back(s);
        block.ms.push_back(b);
        poll.ms.push_back(p);
        transfer.ms.push_back(t);
        eot.ms.push_back(e);
    }
    run.Stop();

    const char* watchName[] = {"off", "on (--decode)", "on (window with the Line view open)"};
    std::printf("Answer times over a pty, line watch %s, %d exchanges (%d failed), in ms:\n",
                watchName[static_cast<int>(watch)], exchanges, failures);
    std::printf("%-38s %6s %7s %6s %6s %6s   %-13s %s\n", "", "min", "median", "p95", "p99", "max",
                "ideal", "p99 within a tick of ideal");
    bool allWithin = failures == 0;
    for (const Measurement* m : {&select, &block, &poll, &transfer, &eot}) {
        if (m->ms.empty()) {
            continue;
        }
        const double p99 = Percentile(m->ms, 0.99);
        const bool within = p99 <= m->IdealHigh() + kTickMs;
        allWithin = allWithin && within;
        char ideal[32];
        if (m->phaseLocked) {
            std::snprintf(ideal, sizeof ideal, "~%.0f", m->IdealHigh());
        } else {
            std::snprintf(ideal, sizeof ideal, "%.0f..%.0f", m->IdealLow(), m->IdealHigh());
        }
        std::printf("%-38s %6.1f %7.1f %6.1f %6.1f %6.1f   %-13s %s\n", m->name,
                    *std::min_element(m->ms.begin(), m->ms.end()), Percentile(m->ms, 0.5),
                    Percentile(m->ms, 0.95), p99, *std::max_element(m->ms.begin(), m->ms.end()),
                    ideal, within ? "yes" : "NO");
    }
    return allWithin;
}

int Main(int argc, char** argv) {
    const int exchanges = std::atoi(Option(argc, argv, "--exchanges", "200").c_str());
    const std::string program = Option(argc, argv, "--program", ESPA_EMULATOR_PATH);
    const std::string only = Option(argc, argv, "--only", "");
    bool allWithin = true;
    const std::pair<const char*, Watch> runs[] = {
        {"off", Watch::Off}, {"on", Watch::Decode}, {"view", Watch::LineView}};
    for (const auto& [name, watch] : runs) {
        if (only.empty() || only == name) {
            allWithin = MeasureRun(program, exchanges, watch) && allWithin;
        }
    }
    return allWithin ? 0 : 2;
}

}  // namespace
}  // namespace espa::bench

int main(int argc, char** argv) {
    return espa::bench::Main(argc, argv);
}
