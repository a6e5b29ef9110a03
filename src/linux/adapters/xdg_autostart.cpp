#include "linux/adapters/xdg_autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "linux/adapters/ini_profile.h"
#include "model/texts.h"

namespace vr::lx {

std::string autostartFolder() { return configHome() + "/autostart"; }

std::string desktopExec(const std::string& program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    quoted += '"';
    // The value is a string first: its own escapes are undone before the command is split.
    std::string value;
    for (const char c : quoted) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

XdgAutostart::XdgAutostart(std::string folder, std::string program)
    : folder_(std::move(folder)), program_(std::move(program)) {}

std::optional<std::string> XdgAutostart::set(bool on) {
    if (on) {
        const std::string entry = std::string("[Desktop Entry]\n"
                                              "Type=Application\n"
                                              "Name=") + kTitle + "\n"
                                  "Comment=Watches for a window and flashes the keyboard lights when it appears\n"
                                  "Exec=" + desktopExec(program_) + "\n"
                                  "Icon=vigilamp\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n";
        if (!replaceFile(file(), entry)) throw Error("Unable to write " + file());
        return std::nullopt;
    }
    // A folder that exists but cannot be changed keeps the entry, whether it is there or not.
    const std::string refused = "Unable to change the autostart folder " + folder_;
    struct stat folder {};
    if (::stat(folder_.c_str(), &folder) == 0 && ::access(folder_.c_str(), W_OK | X_OK) != 0) return refused;
    if (::unlink(file().c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return refused;
}

}  // namespace vr::lx
