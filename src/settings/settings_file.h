// The settings file: every key with its section, type, default and control, in the order start-up reads them,
// and the reads and stores over the ProfileFile port. The controls are the settings; this module only moves
// values between them and the file.
#pragma once
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "ui/control_ids.h"

namespace vr {

enum class ValueType { Boolean, Integer, String };

// The keys, numbered in load order.
enum class Key : int {
    DisableStat, StartWithWindows, DelayValue, ScanInterval, LightingInterval, Caps, Num, Scr,
    Minimise, Close, Nothing, Enable, File, AudioEnable, AudFile, Handlename,
};

struct SettingKey {
    Key id;
    const char* section;
    const char* name;
    ValueType type;
    const char* fallback;  // what a missing key reads as, written as the file would hold it
    Ctl control;           // the control the value is loaded into and stored from
};

inline constexpr SettingKey kSettings[] = {
    {Key::DisableStat, "Status", "DisableStat", ValueType::Boolean, "0", Ctl::cbxDisableStat},
    {Key::StartWithWindows, "Status", "StartWithWindows", ValueType::Boolean, "1", Ctl::cbxStart},
    {Key::DelayValue, "Timers", "DelayValue", ValueType::Integer, "1000", Ctl::spnDelay},
    {Key::ScanInterval, "Timers", "ScanInterval", ValueType::Integer, "1000", Ctl::spnScan},
    {Key::LightingInterval, "Lighting", "LightingInterval", ValueType::Integer, "1000", Ctl::spnFlashing},
    {Key::Caps, "FlashingPat", "Caps", ValueType::Boolean, "1", Ctl::cbxFlshpatCaps},
    {Key::Num, "FlashingPat", "Num", ValueType::Boolean, "1", Ctl::cbxFlshpatNum},
    {Key::Scr, "FlashingPat", "Scr", ValueType::Boolean, "1", Ctl::cbxFlshpatScr},
    {Key::Minimise, "Actions", "Minimise", ValueType::Boolean, "1", Ctl::rbnMinimise},
    {Key::Close, "Actions", "Close", ValueType::Boolean, "0", Ctl::rbnClose},
    {Key::Nothing, "Actions", "Nothing", ValueType::Boolean, "0", Ctl::rbnNothing},
    {Key::Enable, "Actions", "Enable", ValueType::Boolean, "0", Ctl::cbxEnable},
    {Key::File, "Actions", "File", ValueType::String, "", Ctl::txtFile},
    {Key::AudioEnable, "Actions", "AudioEnable", ValueType::Boolean, "0", Ctl::cbxAudEnable},
    {Key::AudFile, "Actions", "AudFile", ValueType::String, "", Ctl::txtAudFile},
    // A missing class name means the default watched class, not "watch for a class without a name".
    {Key::Handlename, "Advanced", "Handlename", ValueType::String, "IMWindowClass", Ctl::lblClassname},
};

constexpr const SettingKey& setting(Key key) { return kSettings[static_cast<int>(key)]; }

constexpr bool tableInKeyOrder() {
    for (int i = 0; i < static_cast<int>(std::size(kSettings)); ++i)
        if (static_cast<int>(kSettings[i].id) != i) return false;
    return true;
}
static_assert(std::size(kSettings) == 16 && tableInKeyOrder(), "kSettings must list every Key in load order");

// The entry of a key by its name, as other tables spell it; throws std::out_of_range for an unknown name.
const SettingKey& settingNamed(std::string_view name);

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
    // Stores the key's control as it is now: a box's checked state, a spin edit's value, a text.
    void store(const SettingKey& key, View& view);

private:
    ProfileFile& file_;
};

}  // namespace vr
