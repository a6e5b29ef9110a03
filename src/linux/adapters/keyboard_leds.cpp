#include "linux/adapters/keyboard_leds.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vr::lx {

namespace {

namespace fs = std::filesystem;

std::optional<unsigned> readNumber(const fs::path& file) {
    std::ifstream in(file);
    long long value = -1;
    if (!(in >> value) || value < 0) return std::nullopt;
    return static_cast<unsigned>(value);
}

// The lamp a device's name stands for: the input layer names them input<N>::<lamp>.
std::optional<LockKey> lampOf(const std::string& name) {
    if (!name.starts_with("input")) return std::nullopt;
    const auto separator = name.find("::");
    if (separator == std::string::npos) return std::nullopt;
    const std::string lamp = name.substr(separator + 2);
    if (lamp == "capslock") return LockKey::Caps;
    if (lamp == "numlock") return LockKey::Num;
    if (lamp == "scrolllock") return LockKey::Scroll;
    return std::nullopt;
}

}  // namespace

std::vector<KeyboardLed> keyboardLeds(const std::string& folder) {
    std::vector<KeyboardLed> leds;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const auto lamp = lampOf(name)) {
            const auto most = readNumber(it->path() / "max_brightness");
            leds.push_back({name, *lamp, most && *most > 0 ? *most : 1u});
        }
    }
    std::sort(leds.begin(), leds.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return leds;
}

std::optional<unsigned> ledBrightness(const std::string& folder, const std::string& name) {
    return readNumber(fs::path(folder) / name / "brightness");
}

}  // namespace vr::lx
