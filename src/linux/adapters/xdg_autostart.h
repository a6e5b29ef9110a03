// Starting with the desktop session: an XDG autostart entry, the Linux counterpart of the Run key's value.
#pragma once
#include <string>

#include "ports.h"

namespace vr::lx {

// The user's autostart folder: <configHome>/autostart.
std::string autostartFolder();

// The entry <folder>/vigilamp.desktop, which starts the program at that path. Only the user's own folder: the
// system's belongs to the administrator's packages, not to a program the user runs.
class XdgAutostart final : public Autostart {
public:
    XdgAutostart(std::string folder, std::string program);
    // On writes the entry (a refused write throws Error); off removes it, whether or not it was there, except
    // from a folder this user cannot change, which is told back.
    std::optional<std::string> set(bool on) override;

    std::string file() const { return folder_ + "/vigilamp.desktop"; }

private:
    std::string folder_, program_;
};

// The Exec line's value for a program started with no arguments, quoted by the Desktop Entry rules: the path
// in double quotes with ", `, $ and \ escaped, % doubled, and then escaped once more as a string value.
std::string desktopExec(const std::string& program);

}  // namespace vr::lx
