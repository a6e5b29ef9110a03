// File paths as the program builds them from its executable's: Windows separators, and '/' for the Linux
// front end.
#pragma once
#include <string>
#include <string_view>

namespace vr {

// The folder of a path with its final separator ("C:\Tools\" of "C:\Tools\vigilamp.exe"); "" for a bare name.
inline std::string folderOf(std::string_view path) {
    const auto end = path.find_last_of("\\/:");
    return end == std::string_view::npos ? std::string() : std::string(path.substr(0, end + 1));
}

}  // namespace vr
