#pragma once

#include <filesystem>

#include "core/settings_record.h"

namespace espa {

// espa.set in the application folder. Reading never reports anything: a missing, unreadable or
// malformed file leaves the fields it does not give at 0.
void ReadSettings(const std::filesystem::path& appDir, SettingsRecord& record);

// Replaces espa.set with the eight key lines. A failure ends the write silently; the record in
// memory stays in force.
void WriteSettings(const std::filesystem::path& appDir, const SettingsRecord& record);

}  // namespace espa
