#include "core/settings_file.h"

#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/num_text.h"

namespace espa {
namespace {

constexpr int kTableSize = 301;
constexpr int kFirstIgnoredIndex = 299;
constexpr const char* kFileName = "espa.set";

struct Key {
    int index;
    const char* name;
    std::int16_t SettingsRecord::*field;
};

// In the order the lines are written.
constexpr std::array<Key, 8> kKeys{{
    {0, "Compoort", &SettingsRecord::Compoort},
    {10, "Emulatie", &SettingsRecord::Emulatie},
    {11, "BaudRate", &SettingsRecord::BaudRate},
    {12, "Parity", &SettingsRecord::Parity},
    {13, "Bits", &SettingsRecord::Bits},
    {14, "StopBits", &SettingsRecord::StopBits},
    {15, "HandShake", &SettingsRecord::HandShake},
    {20, "Logfile", &SettingsRecord::Logfile},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The number at the start of a text, blanks ignored anywhere in it: an optional sign, digits, a
// fraction and an exponent. No number gives 0.
double LeadingNumber(const std::string& text) {
    std::string compact;
    for (char c : text) {
        if (!IsBlank(c)) {
            compact += c;
        }
    }
    std::size_t i = 0;
    std::string number;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
        number += compact[i++];
    }
    bool digits = false;
    while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
        number += compact[i++];
        digits = true;
    }
    if (i < compact.size() && compact[i] == '.') {
        number += compact[i++];
        while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
            number += compact[i++];
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    if (i < compact.size() && (compact[i] == 'E' || compact[i] == 'e')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) {
            exponent += compact[j++];
        }
        const std::size_t firstDigit = j;
        while (j < compact.size() && std::isdigit(static_cast<unsigned char>(compact[j]))) {
            exponent += compact[j++];
        }
        if (j > firstDigit) {
            number += exponent;
        }
    }
    try {
        return std::stod(number);
    } catch (...) {
        // Out of double's range: far beyond 16 bits either way.
        return number[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
}

// Rounded to the nearest integer, halves to even; nullopt when it does not fit 16 bits.
std::optional<std::int16_t> ToInt16(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

// Records end at a line end or a comma; leading blanks are skipped; empty records are dropped.
std::vector<std::string> SplitRecords(const std::string& content) {
    std::vector<std::string> records;
    std::string current;
    auto finish = [&] {
        std::size_t start = 0;
        while (start < current.size() && IsBlank(current[start])) {
            ++start;
        }
        if (start < current.size()) {
            records.push_back(current.substr(start));
        }
        current.clear();
    };
    for (char c : content) {
        if (c == '\r' || c == '\n' || c == ',') {
            finish();
        } else {
            current += c;
        }
    }
    finish();
    return records;
}

std::filesystem::path SettingsPath(const std::filesystem::path& appDir) {
    return appDir / kFileName;
}

}  // namespace

void ReadSettings(const std::filesystem::path& appDir, SettingsRecord& record) {
    std::array<std::string, kTableSize> table{};

    std::string content;
    std::error_code ec;
    const auto path = SettingsPath(appDir);
    if (std::filesystem::is_regular_file(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        if (in.is_open()) {
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }

    for (const std::string& rec : SplitRecords(content)) {
        const auto index = ToInt16(LeadingNumber(rec.substr(0, 4)));
        if (!index || *index < 0) {
            break;  // reading stops; what was read so far counts
        }
        if (*index >= kFirstIgnoredIndex) {
            continue;
        }
        const auto arrow = rec.find("->");
        if (arrow == std::string::npos) {
            continue;
        }
        table[*index] = rec.substr(arrow + 2);
    }

    for (const Key& key : kKeys) {
        record.*key.field = ToInt16(LeadingNumber(table[key.index])).value_or(0);
    }
}

void WriteSettings(const std::filesystem::path& appDir, const SettingsRecord& record) {
    std::string content;
    for (const Key& key : kKeys) {
        std::string line = std::to_string(key.index);
        line.resize(9, ' ');
        line += key.name;
        line += " ->";
        line += NumToText(record.*key.field);
        content += line + "\r\n";
    }

    const auto path = SettingsPath(appDir);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        std::error_code ec;
        if (std::filesystem::exists(appDir, ec) ||
            !std::filesystem::create_directories(appDir, ec)) {
            return;
        }
        out.open(path, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            return;
        }
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace espa
