// The settings file on Linux: the same vigilamp.ini the Windows program reads and writes through its profile
// API, read and written here with that API's rules, so one file serves both.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "ports.h"

namespace vr::lx {

// A profile file at one path. Sections and keys are found whatever their case; the blanks around keys and
// values do not count, and one pair of matching quotes (double or single) around a value is taken off, as
// the Windows profile API does. The first of two equal keys counts. The file may be UTF-8 (with or without a
// byte-order mark) or UTF-16 with its mark, as the Windows profile API writes Unicode files, and keeps its
// encoding. A write changes the key's line alone (or adds the key at the end of its section, or the section at
// the end of the file), keeps the file's line ends (CRLF or LF), creates the folder first, replaces the file in
// one step so that no reader ever sees half of it, writes through a link to the file it names, and holds a lock
// on the folder while it reads and replaces the file, so that two copies storing at once lose nothing.
class IniProfile final : public ProfileFile {
public:
    explicit IniProfile(std::string path);
    std::optional<std::string> read(const std::string& section, const std::string& key) override;
    // False, with nothing written, for a value holding a line break or a NUL too.
    bool write(const std::string& section, const std::string& key, const std::string& value) override;
    std::string path() override { return path_; }
    void keepRead(bool on) override;
    bool exists() override;

private:
    using Values = std::map<std::pair<std::string, std::string>, std::string>;  // lower-case section and key
    std::string path_;
    std::optional<Values> kept_;  // while the load reads: the file as read once
};

// The user's configuration folder: $XDG_CONFIG_HOME, or ~/.config when that is unset, empty or relative.
std::string configHome();

// The settings file for the executable at that path: a vigilamp.ini beside it (a portable copy) when there is
// one, otherwise <configHome>/vigilamp/vigilamp.ini.
std::string settingsPath(const std::string& executable);

// Replaces the file with the contents in one step: a temporary file in the same folder, renamed over it. The
// folder is created first; a file that exists keeps its permissions, and one the user cannot write is not
// replaced; a link is followed (a dangling one too), so the file it names changes and the link stays. False
// when anything is refused; the old file is then as it was.
bool replaceFile(const std::string& path, const std::string& contents);

}  // namespace vr::lx
