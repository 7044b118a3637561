#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace espa {

// The eight settings, each the 0-based position in its fixed list of choices. Values read from
// espa.set are kept as they are, even outside the lists: each user decides what such a value means.
struct SettingsRecord {
    std::int16_t Emulatie = 0;
    std::int16_t Compoort = 0;
    std::int16_t BaudRate = 0;
    std::int16_t Parity = 0;
    std::int16_t Bits = 0;
    std::int16_t StopBits = 0;
    std::int16_t HandShake = 0;
    std::int16_t Logfile = 0;

    bool operator==(const SettingsRecord&) const = default;
};

// Values of Emulatie.
enum class Emulation : std::int16_t {
    Philips = 0,
    AscomNira = 1,
    MediCall = 2,
    DataCall = 3,
    CommTechWireLess = 4,
};

// The entries of the settings lists, in list order.
inline constexpr std::array<std::string_view, 5> kEmulationNames{
    "Philips", "Ascom/Nira", "MediCall", "DataCall", "CommTechWireLess"};
inline constexpr std::array<std::string_view, 8> kComPortNames{"Com1", "Com2", "Com3", "Com4",
                                                               "Com5", "Com6", "Com7", "Com8"};
inline constexpr std::array<std::string_view, 6> kBaudRateNames{"300",  "1200", "2400",
                                                                "4800", "9600", "19200"};
inline constexpr std::array<std::string_view, 3> kParityNames{"N", "E", "O"};
inline constexpr std::array<std::string_view, 2> kBitsNames{"7", "8"};
inline constexpr std::array<std::string_view, 2> kStopBitsNames{"1", "2"};
inline constexpr std::array<std::string_view, 3> kHandShakeNames{
    "No HandShake", "No HandShake (RTS ACTIVE)", "RTS/CTS"};
inline constexpr std::array<std::string_view, 4> kLogfileNames{
    "No Log enabled", "Simple Log to screen", "Extended Log to file & screen",
    "Debug Log to file & screen"};

}  // namespace espa
