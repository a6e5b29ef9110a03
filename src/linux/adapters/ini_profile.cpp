#include "linux/adapters/ini_profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace vr::lx {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\v\f");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\v\f") - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The file as lines without their ends, and how it ended them.
struct Lines {
    std::vector<std::string> lines;
    bool crlf = false, bom = false;
};

Lines split(std::string text) {
    Lines file;
    if (text.starts_with(kBom)) {
        file.bom = true;
        text.erase(0, kBom.size());
    }
    file.crlf = text.find("\r\n") != std::string::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.pop_back();
        file.lines.push_back(std::move(line));
        start = end + 1;
    }
    return file;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (!line.starts_with('[')) return std::nullopt;
    const auto close = line.rfind(']');
    return trim(line.substr(1, close == std::string_view::npos || close == 0 ? std::string_view::npos : close - 1));
}

// A key line's name and value as written; nothing for a comment or a line without '='.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos || trim(t.substr(0, eq)).empty()) return std::nullopt;
    return std::pair{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

// Where a key is: the line of its first occurrence in the sections of that name, and the first such section's
// header and end (the line after its last non-blank line).
struct Place {
    std::optional<std::size_t> key, header, sectionEnd;
};

Place find(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    Place place;
    bool inside = false;
    int first = 0;  // 0 before the first section of the name, 1 in it, 2 after it: only that one grows
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionOf(lines[i])) {
            inside = sameName(*name, trim(section));
            if (first == 1) first = 2;
            if (inside && first == 0) first = 1, place.header = place.sectionEnd = i + 1;
            continue;
        }
        if (!inside) continue;
        if (first == 1 && !trim(lines[i]).empty()) place.sectionEnd = i + 1;
        const auto entry = entryOf(lines[i]);
        if (entry && !place.key && sameName(entry->first, trim(key))) place.key = i;
    }
    return place;
}

std::optional<std::string> load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(text).str();
}

bool writeAll(int fd, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

}  // namespace

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniProfile::read(const std::string& section, const std::string& key) {
    const auto text = load(path_);
    if (!text) return std::nullopt;
    const Lines file = split(*text);
    const Place place = find(file.lines, section, key);
    if (!place.key) return std::nullopt;
    std::string_view value = entryOf(file.lines[*place.key])->second;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool IniProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    std::error_code error;
    const bool exists = fs::exists(path_, error);
    if (error) return false;
    Lines file;
    if (exists) {
        const auto text = load(path_);
        if (!text) return false;  // a file that cannot be read must not be replaced by one line
        file = split(*text);
    }
    const std::string s(trim(section)), k(trim(key));
    const Place place = find(file.lines, s, k);
    auto& lines = file.lines;
    if (place.key) {
        lines[*place.key] = std::string(entryOf(lines[*place.key])->first) + "=" + value;
    } else if (place.header) {
        lines.insert(lines.begin() + std::ptrdiff_t(*place.sectionEnd), k + "=" + value);
    } else {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + s + "]");
        lines.push_back(k + "=" + value);
    }
    std::string text = file.bom ? std::string(kBom) : std::string();
    for (const std::string& line : lines) text += line + (file.crlf ? "\r\n" : "\n");
    return replaceFile(path_, text);
}

bool replaceFile(const std::string& path, const std::string& contents) {
    std::error_code error;
    // A link is followed, so that the file it names changes and the link stays.
    fs::path target = path;
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (error) return false;
        target = resolved;
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    fs::create_directories(folder, error);
    if (error) return false;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;

    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string name = ".";  // hidden, and named after the file it becomes
        name += target.filename().string();
        name += '.';
        name += std::to_string(::getpid());
        name += '-';
        name += std::to_string(serial++);
        name += ".tmp";
        temporary = (folder / name).string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    if (exists) {
        ::fchmod(fd, old.st_mode & 07777);
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);  // as root, for another user
    }
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);  // the rename itself survives a crash
        ::close(dir);
    }
    return true;
}

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    std::string base = home && home[0] ? home : "";
    if (base.empty())
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) base = user->pw_dir;
    return base + "/.config";
}

std::string settingsPath(const std::string& executable) {
    const auto slash = executable.rfind('/');
    const std::string beside =
        (slash == std::string::npos ? std::string() : executable.substr(0, slash + 1)) + "vigilamp.ini";
    std::error_code error;
    if (fs::is_regular_file(beside, error)) return beside;
    return configHome() + "/vigilamp/vigilamp.ini";
}

}  // namespace vr::lx
