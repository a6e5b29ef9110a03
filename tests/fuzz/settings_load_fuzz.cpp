// An arbitrary settings file loaded at start-up, then a few minutes of watching and the Set buttons: the
// program never crashes, never lets an error escape its handlers, and Disable leaves the lights as it found them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fakes/rig.h"

namespace {

// The file read the way the profile API reads one: "[section]" lines, "key=value" lines, blanks trimmed.
vr::fake::Ini parseIni(std::string_view text) {
    const auto trim = [](std::string_view s) {
        const auto b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
        return b == std::string_view::npos ? std::string() : std::string(s.substr(b, e - b + 1));
    };
    vr::fake::Ini ini;
    std::string section;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.size() >= 2 && line.front() == '[') {
            section = trim(std::string_view(line).substr(1, line.find(']') - 1));
        } else if (const auto eq = line.find('='); eq != std::string::npos) {
            ini.push_back({section, trim(std::string_view(line).substr(0, eq)),
                           trim(std::string_view(line).substr(eq + 1))});
        }
    }
    return ini;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        vr::fake::Rig rig(parseIni(std::string_view(reinterpret_cast<const char*>(data), size)),
                          [](vr::fake::Rig& r) { r.windows.open.insert("IMWindowClass"); });
        rig.click(vr::Ctl::btnExecute);
        rig.timers.advance(5 * 60 * 1000);
        rig.click(vr::Ctl::btnInitSet);
        rig.click(vr::Ctl::btnScanSet);
        rig.click(vr::Ctl::btnFlashSet);
        rig.click(vr::Ctl::btnFlshpatSet);
        rig.click(vr::Ctl::btnTitleSet);
        rig.click(vr::Ctl::btnTest);
        rig.click(vr::Ctl::btnReset);
        rig.timers.advance(60 * 1000);
        rig.form.windowAsksForAttention(vr::fake::Windows::handleOf("IMWindowClass"));
        rig.click(vr::Ctl::btnDisable);
        if (!rig.lightsOff()) std::abort();  // the lights started off, so Disable leaves them off
        rig.form.close();
    } catch (...) {
        std::abort();  // every entry is guarded: nothing may escape to the message loop
    }
    return 0;
}
