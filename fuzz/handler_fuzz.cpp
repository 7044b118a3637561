// The byte stream from the central into a running emulator. The first two bytes choose the
// emulation mode and the log level (0..5, so the levels above the dialog's are reached too) and
// the operator's status; the rest arrives a few bytes per tick, with idle ticks between bursts so
// that every timeout can run out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/emulator.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace {

const char* const kStatuses[] = {"PAGED", "ABSENT", "QUEUE", "TERMINATED", ""};

void CheckInvariants(espa::Emulator& emulator) {
    const auto& handler = emulator.Handler();
    if (handler.CurrentPosition() < -1 || handler.CurrentPosition() > 9) {
        __builtin_trap();
    }
    if (emulator.Block().TxCheck < 0 || emulator.Block().TxCheck > 255) {
        __builtin_trap();
    }
    if (emulator.Lines().LogLineCount() > espa::LogLines::kLineCount) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static espa::test::TempDir dir;
    espa::test::FakeSerialControl control;
    espa::test::RecordingView view;
    espa::test::FixedClock clock;
    espa::Emulator emulator(control, view, clock, dir.path());

    emulator.Settings().Emulatie = static_cast<std::int16_t>(data[0] % 5);
    // Levels 0..5: above 3 the handler writes its extra messages.
    emulator.Settings().Logfile = static_cast<std::int16_t>((data[1] & 0x0F) % 6);
    view.selectedStatus = kStatuses[(data[1] >> 4) % 5];
    emulator.OpenPortFromSettings();
    control.calls.clear();

    std::size_t i = 2;
    while (i < size) {
        const std::uint8_t burst = data[i++];
        if (burst == 0xFE && i < size) {
            // An idle stretch long enough for a timeout.
            for (int t = 0; t < 10 * data[i]; ++t) {
                emulator.HandlerTick();
            }
            ++i;
            continue;
        }
        const std::size_t n = std::min<std::size_t>(burst % 8, size - i);
        control.rx.append(reinterpret_cast<const char*>(data + i), n);
        i += n;
        emulator.HandlerTick();
        if (burst & 0x80) {
            emulator.BufferTick();
        }
        CheckInvariants(emulator);
        control.tx.clear();
        control.calls.clear();
    }
    for (int t = 0; t < 260; ++t) {  // past the longest handler timeout
        emulator.HandlerTick();
    }
    CheckInvariants(emulator);
    return 0;
}
