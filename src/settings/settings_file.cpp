#include "settings/settings_file.h"

#include "match/text.h"

#include "settings/intervals.h"
#include "settings/paths.h"
#include "settings/profile_value.h"

namespace vr {

std::string settingsPathFor(std::string_view executable) {
    const std::size_t folder = folderOf(executable).size();
    const auto dot = executable.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot >= folder;
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
    return cutToChars(file_.read(key.section, key.name).value_or(key.fallback), kValueChars);
}

namespace {

bool needsQuotes(std::string_view value) {
    constexpr std::string_view kEdges = " \t\v\f\"'";
    return !value.empty() && (kEdges.find(value.front()) != kEdges.npos || kEdges.find(value.back()) != kEdges.npos);
}

}  // namespace

void SettingsFile::store(const SettingKey& key, const std::string& value) {
    const std::string refused = "Unable to write to " + file_.path();
    const std::string what = std::string(": the value of ") + key.name;
    if (value.find('\0') != std::string::npos)
        throw Error(refused + what + " holds a NUL character, which the settings file cannot keep");
    if (value.find_first_of("\r\n") != std::string::npos)
        throw Error(refused + what + " holds a line break, which the settings file cannot keep");
    if (charCount(value) > kValueChars)
        throw Error(refused + what + " is longer than the " + std::to_string(kValueChars) +
                    " characters the settings file keeps");
    if (const auto why = file_.cannotHold(value)) throw Error(refused + what + " " + *why);
    if (!file_.write(key.section, key.name, needsQuotes(value) ? '"' + value + '"' : value)) throw Error(refused);
}

void SettingsFile::store(const SettingKey& key, const Model& model) {
    switch (key.type) {
    case ValueType::Boolean: return store(key, booleanText(model.checked(key.control)));
    case ValueType::String: return store(key, model.text(key.control));
    case ValueType::Integer: return store(key, std::to_string(spinValue(model.text(key.control), key.range.minimum)));
    }
}

}  // namespace vr
