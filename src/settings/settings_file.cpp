#include "settings/settings_file.h"

#include <stdexcept>

#include "settings/intervals.h"
#include "settings/profile_value.h"

namespace vr {

const SettingKey& settingNamed(std::string_view name) {
    for (const SettingKey& key : kSettings)
        if (name == key.name) return key;
    throw std::out_of_range("no setting named " + std::string(name));
}

std::string settingsPathFor(std::string_view executable) {
    const auto folderEnd = executable.find_last_of("\\/:");
    const auto dot = executable.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && (folderEnd == std::string_view::npos || dot > folderEnd);
    return std::string(hasExtension ? executable.substr(0, dot) : executable) + ".ini";
}

bool SettingsFile::boolean(const SettingKey& key) {
    const bool fallback = booleanOr(key.fallback, false);
    const auto value = file_.read(key.section, key.name);
    return value ? booleanOr(*value, fallback) : fallback;
}

std::int32_t SettingsFile::integer(const SettingKey& key) {
    const std::int32_t fallback = integerOr(key.fallback, 0);
    const auto value = file_.read(key.section, key.name);
    return value ? integerOr(*value, fallback) : fallback;
}

std::string SettingsFile::string(const SettingKey& key) {
    return file_.read(key.section, key.name).value_or(key.fallback);
}

void SettingsFile::store(const SettingKey& key, const std::string& value) {
    if (!file_.write(key.section, key.name, value)) throw Error("Unable to write to " + file_.path());
}

void SettingsFile::store(const SettingKey& key, View& view) {
    switch (key.type) {
    case ValueType::Boolean: return store(key, booleanText(view.checked(key.control)));
    case ValueType::String: return store(key, view.text(key.control));
    case ValueType::Integer:
        for (const IntervalSetting& interval : kIntervals)
            if (interval.spin == key.control)
                return store(key, std::to_string(spinValue(view.text(key.control), interval.minimum)));
        throw std::logic_error(std::string("no spin edit for ") + key.name);
    }
}

}  // namespace vr
