#include "linux/wayland/source_status.h"

namespace vr::wl {

namespace {

const char* nameOf(SourceKind kind) {
    switch (kind) {
        case SourceKind::wlroots: return "the compositor's toplevel list (wlroots)";
        case SourceKind::plasma: return "KWin's window management";
        case SourceKind::toplevelList: return "the compositor's toplevel list";
        case SourceKind::gnomeShell: return "the Vigilamp GNOME Shell extension";
        case SourceKind::none: break;
    }
    return "none";
}

std::string word(Ability ability) {
    return ability == Ability::yes ? "yes" : ability == Ability::no ? "no" : "not known yet";
}

}  // namespace

std::string SourceStatus::line() const {
    if (kind == SourceKind::none) return "Wayland windows: not seen. " + detail;
    return std::string("Wayland windows through ") + nameOf(kind) + ": minimise " + word(minimise) + ", close " +
           word(close) + ", attention " + word(attention) + "." + (detail.empty() ? "" : " " + detail);
}

}  // namespace vr::wl
