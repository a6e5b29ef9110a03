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

XdgAutostart::XdgAutostart(std::string folder) : folder_(std::move(folder)) {}

RunKey::Result XdgAutostart::setValue(Scope scope, const std::string&, const std::string& data) {
    if (scope == Scope::machine) return Result::notOpened;
    // The Run key's value quotes the path for Windows' command line; the entry quotes it in its own way.
    const bool quoted = data.size() >= 2 && data.front() == '"' && data.back() == '"';
    const std::string program = quoted ? data.substr(1, data.size() - 2) : data;
    const std::string entry = std::string("[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=") + kTitle + "\n"
                              "Comment=Watches for a window and flashes the keyboard lights when it appears\n"
                              "Exec=" + desktopExec(program) + "\n"
                              "Icon=vigilamp\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    return replaceFile(file(), entry) ? Result::done : Result::failed;
}

RunKey::Result XdgAutostart::deleteValue(Scope scope, const std::string&) {
    if (scope == Scope::machine) return Result::notOpened;
    // A folder that exists but cannot be changed is a key that does not open, whether the entry is there or not.
    struct stat folder {};
    if (::stat(folder_.c_str(), &folder) == 0 && ::access(folder_.c_str(), W_OK | X_OK) != 0) return Result::notOpened;
    if (::unlink(file().c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return Result::done;
    return Result::notOpened;
}

}  // namespace vr::lx
