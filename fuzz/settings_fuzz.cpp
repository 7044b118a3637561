// espa.set as written by hand, or by anything else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings_file.h"
#include "temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static espa::test::TempDir dir;
    espa::test::WriteFile(dir.path() / "espa.set",
                          std::string(reinterpret_cast<const char*>(data), size));
    espa::SettingsRecord record;
    espa::ReadSettings(dir.path(), record);

    // Whatever was read must survive a write and a read, but for the sign: values are written
    // without one, so -6 comes back as 6 (and -32768, beyond 16 bits that way, as 0).
    espa::WriteSettings(dir.path(), record);
    espa::SettingsRecord again{1, 2, 3, 4, 5, 6, 7, 8};
    espa::ReadSettings(dir.path(), again);
    auto unsigned16 = [](std::int16_t v) -> std::int16_t {
        return v >= 0 ? v : (v == -32768 ? 0 : static_cast<std::int16_t>(-v));
    };
    const espa::SettingsRecord expected{unsigned16(record.Emulatie),  unsigned16(record.Compoort),
                                        unsigned16(record.BaudRate),  unsigned16(record.Parity),
                                        unsigned16(record.Bits),      unsigned16(record.StopBits),
                                        unsigned16(record.HandShake), unsigned16(record.Logfile)};
    if (!(again == expected)) {
        __builtin_trap();
    }
    return 0;
}
