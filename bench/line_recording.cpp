#include "line_recording.h"

#include <memory>
#include <random>

#include "byte_queue_control.h"
#include "engine/emulator.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::bench {

namespace {
constexpr int kTickMs = 25;
}

LineRecording RecordSession(long ticks, const JobChooser& nextJob) {
    ByteQueueControl control;
    test::RecordingView view;
    test::FixedClock clock;
    test::TempDir dir;
    Emulator emulator(control, view, clock, dir.path());
    emulator.Settings().Logfile = 0;
    emulator.OpenPortFromSettings();
    CentralSession central;

    LineRecording recording;
    recording.receivedEnd.reserve(static_cast<std::size_t>(ticks));
    recording.sentEnd.reserve(static_cast<std::size_t>(ticks));
    for (long t = 0; t < ticks; ++t) {
        if (central.Idle()) {
            nextJob(central);
        }
        const std::string out = central.TakeOutput();
        recording.received += out;
        control.Receive(out.data(), out.size());
        recording.receivedEnd.push_back(static_cast<std::uint32_t>(recording.received.size()));

        emulator.HandlerTick();

        for (char c : control.tx) {
            central.Receive(c);
        }
        recording.sent += control.tx;
        control.tx.clear();
        recording.sentEnd.push_back(static_cast<std::uint32_t>(recording.sent.size()));
        central.Advance(kTickMs);
        central.TakeEvents();
    }
    return recording;
}

JobChooser EverydayTraffic(unsigned seed) {
    auto random = std::make_shared<std::mt19937>(seed);
    auto lastCall = std::make_shared<EspaFields>(EspaFields{{'1', "100"}});
    return [random, lastCall](CentralSession& central) {
        const int pick = std::uniform_int_distribution<int>(0, 9)(*random);
        if (pick < 4) {
            EspaFields fields{
                {'1', std::to_string(std::uniform_int_distribution<int>(100, 999)(*random))}};
            std::string info(std::uniform_int_distribution<int>(0, 40)(*random), ' ');
            for (char& c : info) {
                c = static_cast<char>(std::uniform_int_distribution<int>('A', 'z')(*random));
            }
            fields.emplace_back('2', info);
            fields.emplace_back('3', "2");
            *lastCall = fields;
            central.QueueCall(std::move(fields));
        } else if (pick == 4) {
            central.QueueStatusRequest(*lastCall);
        } else {
            central.QueuePoll();
        }
    };
}

JobChooser PacedTraffic(int pauseTicks) {
    // Asked once a tick while the central is idle, so counting the questions counts the pause.
    auto idleTicks = std::make_shared<int>(0);
    auto exchanges = std::make_shared<int>(0);
    return [pauseTicks, idleTicks, exchanges](CentralSession& central) {
        if (++*idleTicks < pauseTicks) {
            return;
        }
        *idleTicks = 0;
        if (++*exchanges % 4 == 0) {
            central.QueueCall({{'1', std::to_string(100 + *exchanges % 900)},
                               {'2', "Room 12 nurse call"},
                               {'3', "2"}});
        } else {
            central.QueuePoll();
        }
    };
}

JobChooser LongCalls(int infoLength) {
    auto pager = std::make_shared<int>(100);
    auto pollNext = std::make_shared<bool>(false);
    return [infoLength, pager, pollNext](CentralSession& central) {
        if (*pollNext) {
            central.QueuePoll();
        } else {
            *pager = *pager >= 999 ? 100 : *pager + 1;
            std::string info(static_cast<std::size_t>(infoLength), 'x');
            for (std::size_t i = 0; i < info.size(); ++i) {
                info[i] = static_cast<char>('a' + (i + static_cast<std::size_t>(*pager)) % 26);
            }
            central.QueueCall({{'1', std::to_string(*pager)}, {'2', info}, {'3', "2"}});
        }
        *pollNext = !*pollNext;
    };
}

}  // namespace espa::bench
