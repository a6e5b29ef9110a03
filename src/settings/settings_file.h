// The settings file: the reads and stores of the settings table's keys over the ProfileFile port. The model
// holds the values; this module only moves them between the model and the file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "model/model.h"
#include "model/settings.h"
#include "ports.h"

namespace vr {

// The settings file of an executable: its path with the extension replaced by ".ini".
std::string settingsPathFor(std::string_view executable);

// Reads and stores through the port with the table's types and defaults.
class SettingsFile {
public:
    explicit SettingsFile(ProfileFile& file) : file_(file) {}

    // Missing and malformed values give the key's default; a read never fails.
    bool boolean(const SettingKey& key);
    std::int32_t integer(const SettingKey& key);
    std::string string(const SettingKey& key);

    // Writes through at once; a refused write throws Error("Unable to write to <path>").
    void store(const SettingKey& key, const std::string& value);
    // Stores the key's control as the model holds it now: a box's checked state, a spin edit's value, a text.
    void store(const SettingKey& key, const Model& model);

private:
    ProfileFile& file_;
};

}  // namespace vr
