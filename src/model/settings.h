// The settings: one table with every key's section, name, type, default, the control that shows it, the
// button that stores it and, for the intervals, their range, step and timer. Load, store, the range checks and
// the spin edits all read this one table, by key.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

#include "model/ids.h"
#include "model/texts.h"

namespace vr {

enum class ValueType { Boolean, Integer, String };

// The longest text the settings file keeps for a value, in characters, on both front ends; a longer value in
// the file reads as its first kValueChars characters.
inline constexpr std::size_t kValueChars = 2047;

// The keys, numbered in load order.
enum class Key : int {
    DisableStat, StartWithWindows, DelayValue, ScanInterval, LightingInterval, Caps, Num, Scr,
    Minimise, Close, Nothing, Enable, File, AudioEnable, AudFile, Handlename, Title, TitleEnable, Attention,
    WatchAtStart, LampsOnly, FlashTrayIcon,
};

// An interval's spin edit: the values its Set button accepts and the step of its arrows.
struct Range {
    std::int32_t minimum = 0, maximum = 0, increment = 0;
};

struct SettingKey {
    Key id;
    const char* section;
    const char* name;
    ValueType type;
    const char* fallback;  // what a missing key reads as, written as the file would hold it
    Ctl control;           // the control the value is loaded into and stored from
    Ctl setButton = Ctl::none;  // the button that stores it as the page shows it; none: its own handlers do
    Range range = {};           // integers only
    TimerId timer = TimerId::none;  // integers only: the timer the value is the interval of
};

inline constexpr SettingKey kSettings[] = {
    {Key::DisableStat, "Status", "DisableStat", ValueType::Boolean, "0", Ctl::cbxDisableStat},
    {Key::StartWithWindows, "Status", "StartWithWindows", ValueType::Boolean, "1", Ctl::cbxStart},
    {Key::DelayValue, "Timers", "DelayValue", ValueType::Integer, "1000", Ctl::spnDelay, Ctl::btnInitSet,
     {1000, 60000, 1000}, TimerId::tmrDelay},
    {Key::ScanInterval, "Timers", "ScanInterval", ValueType::Integer, "1000", Ctl::spnScan, Ctl::btnScanSet,
     {1000, 60000, 1000}, TimerId::tmrSearch},
    {Key::LightingInterval, "Lighting", "LightingInterval", ValueType::Integer, "1000", Ctl::spnFlashing,
     Ctl::btnFlashSet, {1000, 10000, 1000}, TimerId::tmrFlash},
    {Key::Caps, "FlashingPat", "Caps", ValueType::Boolean, "1", Ctl::cbxFlshpatCaps, Ctl::btnFlshpatSet},
    {Key::Num, "FlashingPat", "Num", ValueType::Boolean, "1", Ctl::cbxFlshpatNum, Ctl::btnFlshpatSet},
    {Key::Scr, "FlashingPat", "Scr", ValueType::Boolean, "1", Ctl::cbxFlshpatScr, Ctl::btnFlshpatSet},
    {Key::Minimise, "Actions", "Minimise", ValueType::Boolean, "1", Ctl::rbnMinimise, Ctl::btnAction},
    {Key::Close, "Actions", "Close", ValueType::Boolean, "0", Ctl::rbnClose, Ctl::btnAction},
    {Key::Nothing, "Actions", "Nothing", ValueType::Boolean, "0", Ctl::rbnNothing, Ctl::btnAction},
    {Key::Enable, "Actions", "Enable", ValueType::Boolean, "0", Ctl::cbxEnable},
    {Key::File, "Actions", "File", ValueType::String, "", Ctl::txtFile},
    {Key::AudioEnable, "Actions", "AudioEnable", ValueType::Boolean, "0", Ctl::cbxAudEnable},
    {Key::AudFile, "Actions", "AudFile", ValueType::String, "", Ctl::txtAudFile},
    // A missing class name means the default watched class, not "watch for a class without a name".
    {Key::Handlename, "Advanced", "Handlename", ValueType::String, kDefaultClass, Ctl::lblClassname,
     Ctl::btnSet},
    // The match rules: a file without them watches by class alone, as it always did.
    {Key::Title, "Match", "Title", ValueType::String, "", Ctl::txtTitle, Ctl::btnTitleSet},
    {Key::TitleEnable, "Match", "TitleEnable", ValueType::Boolean, "0", Ctl::cbxTitleEnable, Ctl::btnTitleSet},
    {Key::Attention, "Match", "Attention", ValueType::Boolean, "0", Ctl::cbxAttention},
    {Key::WatchAtStart, "Match", "WatchAtStart", ValueType::Boolean, "0", Ctl::cbxWatchAtStart},
    // What flashes: a file without these flashes the lamps alone where it can, and the tray icon with them.
    {Key::LampsOnly, "Lighting", "LampsOnly", ValueType::Boolean, "1", Ctl::cbxLampsOnly, Ctl::btnFlshpatSet},
    {Key::FlashTrayIcon, "Lighting", "FlashTrayIcon", ValueType::Boolean, "1", Ctl::cbxFlashTrayIcon,
     Ctl::btnFlshpatSet},
};

constexpr const SettingKey& setting(Key key) { return kSettings[static_cast<int>(key)]; }

// The key a control shows, or nullptr.
constexpr const SettingKey* settingShownBy(Ctl control) {
    for (const SettingKey& key : kSettings)
        if (key.control == control) return &key;
    return nullptr;
}

namespace detail {
constexpr bool tableIsSound() {
    for (int i = 0; i < static_cast<int>(std::size(kSettings)); ++i) {
        const SettingKey& key = kSettings[i];
        if (static_cast<int>(key.id) != i) return false;
        const bool interval = key.type == ValueType::Integer;
        if (interval != (key.timer != TimerId::none) || interval != (key.range.increment > 0)) return false;
        if (interval && (key.range.minimum > key.range.maximum || key.setButton == Ctl::none)) return false;
    }
    return true;
}
}  // namespace detail
static_assert(std::size(kSettings) == 22 && detail::tableIsSound(),
              "kSettings lists every Key in load order, and every interval has its range, step, timer and button");

}  // namespace vr
