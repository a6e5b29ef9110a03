// The alert sound's two players, as far as no platform call is involved: which of them plays, and the command
// that opens a file in the multimedia (MCI) one.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "ports.h"

namespace vr::win32 {

// The choice is made at the first sound: the media player when its object can be created and set up, the
// multimedia player otherwise. Once the players are released, the next sound chooses again.
class PlayerChoice {
public:
    enum class Kind { none, mediaPlayer, mci };
    // createMediaPlayer makes the media player's object and says whether it can play.
    explicit PlayerChoice(std::function<bool()> createMediaPlayer) : create_(std::move(createMediaPlayer)) {}
    Kind kind() const { return kind_; }  // none until a sound has chosen
    Kind choose() {
        if (kind_ == Kind::none) kind_ = create_() ? Kind::mediaPlayer : Kind::mci;
        return kind_;
    }
    void reset() { kind_ = Kind::none; }

private:
    std::function<bool()> create_;
    Kind kind_ = Kind::none;
};

// Whether a path names a device rather than a file: the device namespace (\\.\, which holds the named pipes),
// or a name Windows keeps for a device in every folder (CON, NUL, COM1, ...), with or without an extension.
// Opening one would block or never end: only files are played.
inline bool isDevicePath(std::string_view path) {
    if (path.starts_with("\\\\.\\") || path.starts_with("//./") || path.starts_with("\\\\?\\GLOBALROOT")) return true;
    const auto slash = path.find_last_of("\\/:");
    std::string name(path.substr(slash == std::string_view::npos ? 0 : slash + 1));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" || name == "CONOUT$")
        return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) && name[3] >= '1' &&
           name[3] <= '9';
}

// "open "<file>" type mpegvideo alias <alias>". The quotes keep a path with spaces one name. A quote inside the
// path would end the name early and let the rest pass as options of the command, so such a path is refused
// with Error; no file name holds one.
inline std::string mciOpenCommand(const std::string& file, const std::string& alias) {
    if (file.find('"') != std::string::npos)
        throw Error("The multimedia player could not open \"" + file + "\": a file name cannot contain '\"'");
    return "open \"" + file + "\" type mpegvideo alias " + alias;
}

}  // namespace vr::win32
