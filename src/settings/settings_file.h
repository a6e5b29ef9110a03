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

    // While on, the reads come from one reading of the file: the load reads every key in a row.
    void keepRead(bool on) { file_.keepRead(on); }
    bool exists() { return file_.exists(); }

    // Missing and malformed values give the key's default; a read never fails.
    bool boolean(const SettingKey& key);
    std::int32_t integer(const SettingKey& key);
    std::string string(const SettingKey& key);

    // Writes through at once; a refused write throws Error("Unable to write to <path>"). A value the file cannot
    // give back as it was is refused the same way, with the reason and the key's name, and nothing is written:
    // a line break or a NUL (the rest would become lines of the file), more than kValueChars characters, or a
    // character the file's encoding lacks. A value that begins or ends with a blank or a quote is written in
    // quotes, which the reader takes off again.
    void store(const SettingKey& key, const std::string& value);
    // Stores the key's control as the model holds it now: a box's checked state, a spin edit's value, a text.
    void store(const SettingKey& key, const Model& model);

private:
    ProfileFile& file_;
};

}  // namespace vr
