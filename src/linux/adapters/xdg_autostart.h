// Starting with the desktop session: an XDG autostart entry, the Linux counterpart of the Run key's value.
#pragma once
#include <string>

#include "ports.h"

namespace vr::lx {

// The user's autostart folder: <configHome>/autostart.
std::string autostartFolder();

// The entry <folder>/vigilamp.desktop, whatever the value's name. The system's autostart folder belongs to
// the administrator's packages, not to a program the user runs: the per-machine scope never opens, and the
// core registers in the user's own folder instead.
class XdgAutostart final : public RunKey {
public:
    explicit XdgAutostart(std::string folder);
    // The data is the command as the Run key holds it: the executable's path in double quotes.
    Result setValue(Scope scope, const std::string& name, const std::string& data) override;
    Result deleteValue(Scope scope, const std::string& name) override;

    std::string file() const { return folder_ + "/vigilamp.desktop"; }

private:
    std::string folder_;
};

// The Exec line's value for a program started with no arguments, quoted by the Desktop Entry rules: the path
// in double quotes with ", `, $ and \ escaped, % doubled, and then escaped once more as a string value.
std::string desktopExec(const std::string& program);

}  // namespace vr::lx
