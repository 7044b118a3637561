// The block helpers and the field extraction on arbitrary received text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calls/call_records.h"
#include "calls/call_table.h"
#include "calls/status_exchange.h"
#include "core/control_chars.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "log/event_log.h"
#include "protocol/espa_block.h"
#include "recording_view.h"
#include "serial/datacom.h"
#include "serial/lamp_state.h"
#include "temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static espa::test::TempDir dir;
    const std::string text(reinterpret_cast<const char*>(data), size);

    espa::SettingsRecord settings;
    settings.Logfile = 1;
    espa::test::FixedClock clock;
    espa::LogLines lines;
    espa::EventLog log(settings, clock, dir.path(), lines);
    espa::test::FakeSerialControl control;
    espa::test::RecordingView view;
    espa::LampState lamps;
    espa::Datacom datacom(control, settings, log, view, lamps);
    espa::CallTable table;
    espa::EspaBlock block(datacom, log, table);
    espa::CallRecords records(table, log, view);
    espa::StatusExchange status(table, records, settings, log, view);

    // TestBlock must agree with an independent reading of the text.
    const auto etx = text.find(espa::ETX);
    bool expectGood = false;
    if (etx != std::string::npos && etx + 1 < text.size()) {
        const auto soh = text.rfind(espa::SOH, etx);
        std::uint8_t check = 0;
        for (auto k = (soh == std::string::npos ? 0 : soh + 1); k <= etx; ++k) {
            check ^= static_cast<std::uint8_t>(text[k]);
        }
        expectGood = check == static_cast<std::uint8_t>(text[etx + 1]);
    }
    if (block.TestBlock(text) != (expectGood ? 1 : -1)) {
        __builtin_trap();
    }
    const auto type = espa::EspaBlock::BlockType(text);
    if (type < 0 || type > 9) {
        __builtin_trap();
    }

    for (int i = 0; i < 12; ++i) {
        const auto p = records.StoreCall(text);
        if (p < 0 || p > 9) {
            __builtin_trap();
        }
    }
    const auto found = status.AnswerStatusRequest(text);
    if (found < -1 || found > 9) {
        __builtin_trap();
    }
    for (std::int16_t p = 0; p < 10; ++p) {
        settings.Emulatie = p % 5;
        const std::string transfer = status.SendStatusTransfer(p);
        if (transfer.empty() || transfer.back() != espa::ETX) {
            __builtin_trap();
        }
    }
    return 0;
}
