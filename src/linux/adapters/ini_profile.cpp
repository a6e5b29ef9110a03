#include "linux/adapters/ini_profile.h"

#include "match/text.h"

#include <fcntl.h>
#include <sys/file.h>
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

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && lower(a) == lower(b); }

// How the file is written: its encoding and its line ends. The text itself is handled as UTF-8.
struct Form {
    enum Encoding { utf8, utf8Bom, utf16le, utf16be } encoding = utf8;
    bool crlf = false;
};

std::string decode(const std::string& bytes, Form& form) {
    std::string text;
    const auto utf16 = [&](bool little) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
            const auto hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
            units += static_cast<char16_t>(hi << 8 | lo);
        }
        return toUtf8(units);
    };
    if (bytes.starts_with("\xFF\xFE")) form.encoding = Form::utf16le, text = utf16(true);
    else if (bytes.starts_with("\xFE\xFF")) form.encoding = Form::utf16be, text = utf16(false);
    else if (bytes.starts_with(kBom)) form.encoding = Form::utf8Bom, text = bytes.substr(kBom.size());
    else text = bytes;
    form.crlf = text.find("\r\n") != std::string::npos;
    return text;
}

std::string encode(const std::string& text, const Form& form) {
    if (form.encoding == Form::utf8) return text;
    if (form.encoding == Form::utf8Bom) return std::string(kBom) + text;
    const bool little = form.encoding == Form::utf16le;
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : toUtf16(text)) {
        const char lo = static_cast<char>(unit & 0xFF), hi = static_cast<char>(unit >> 8);
        bytes += little ? lo : hi;
        bytes += little ? hi : lo;
    }
    return bytes;
}

// Calls f(line) for each line of the text, without its end.
template <class F>
void forEachLine(std::string_view text, F f) {
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        f(line);
        start = end + 1;
    }
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

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Every value of the file in one pass, the first of equal keys in sections of one name counting.
std::map<std::pair<std::string, std::string>, std::string> valuesOf(std::string_view text) {
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::string section;
    bool inSection = false;
    forEachLine(text, [&](std::string_view line) {
        if (const auto name = sectionOf(line)) {
            section = lower(*name);
            inSection = true;
        } else if (const auto entry = inSection ? entryOf(line) : std::nullopt) {
            values.try_emplace({section, lower(entry->first)}, unquoted(entry->second));
        }
    });
    return values;
}

// Where a write goes, by line number: the key's first line in the sections of that name, and the end of the
// first such section (the line after its last non-blank one).
struct Place {
    std::optional<std::size_t> key, sectionEnd;
};

Place placeOf(std::string_view text, std::string_view section, std::string_view key) {
    Place place;
    bool inside = false;
    int first = 0;  // 0 before the first section of the name, 1 in it, 2 after it: only that one grows
    std::size_t i = 0;
    forEachLine(text, [&](std::string_view line) {
        if (const auto name = sectionOf(line)) {
            inside = sameName(*name, section);
            if (first == 1) first = 2;
            if (inside && first == 0) first = 1, place.sectionEnd = i + 1;
        } else if (inside) {
            if (first == 1 && !trim(line).empty()) place.sectionEnd = i + 1;
            const auto entry = entryOf(line);
            if (entry && !place.key && sameName(entry->first, key)) place.key = i;
        }
        ++i;
    });
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

// The file a path names once every link is followed, a link to a file that does not exist yet included.
std::optional<fs::path> resolved(fs::path path) {
    std::error_code error;
    for (int hops = 0; fs::is_symlink(path, error); ++hops) {
        if (hops == 40) return std::nullopt;  // a loop of links
        const fs::path target = fs::read_symlink(path, error);
        if (error) return std::nullopt;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// An exclusive lock on a folder while it lives: the copies of the program take turns at the file in it.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

}  // namespace

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {}

void IniProfile::keepRead(bool on) {
    if (!on) return kept_.reset();
    Form form;
    const auto bytes = load(path_);
    kept_ = bytes ? valuesOf(decode(*bytes, form)) : Values{};
}

bool IniProfile::exists() {
    std::error_code error;
    return fs::exists(path_, error);
}

std::optional<std::string> IniProfile::read(const std::string& section, const std::string& key) {
    const auto lookUp = [&](const Values& values) -> std::optional<std::string> {
        const auto it = values.find({lower(trim(section)), lower(trim(key))});
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
    if (kept_) return lookUp(*kept_);
    const auto bytes = load(path_);
    if (!bytes) return std::nullopt;
    Form form;
    return lookUp(valuesOf(decode(*bytes, form)));
}

bool IniProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    // A line break or a NUL would end the value early and let the rest pass as lines of the file.
    if ((section + key + value).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
    const auto target = resolved(path_);
    if (!target) return false;
    fs::path folder = target->parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return false;
    const FolderLock lock(folder);

    const bool exists = fs::exists(*target, error);
    if (error) return false;
    Form form;
    std::string text;
    if (exists) {
        const auto bytes = load(*target);
        if (!bytes) return false;  // a file that cannot be read must not be replaced by one line
        text = decode(*bytes, form);
    }
    const std::string s(trim(section)), k(trim(key));
    const Place place = placeOf(text, s, k);
    const std::string end = form.crlf ? "\r\n" : "\n";
    std::string out;
    out.reserve(text.size() + k.size() + value.size() + 16);
    std::size_t i = 0;
    bool lastBlank = true;
    forEachLine(text, [&](std::string_view line) {
        if (place.sectionEnd && !place.key && i == *place.sectionEnd) out.append(k).append("=").append(value) += end;
        if (place.key && i == *place.key) out.append(entryOf(line)->first).append("=").append(value);
        else out.append(line);
        out += end;
        lastBlank = trim(line).empty();
        ++i;
    });
    if (place.sectionEnd && !place.key && i == *place.sectionEnd) out.append(k).append("=").append(value) += end;
    if (!place.sectionEnd) {
        if (!lastBlank) out += end;
        out.append("[").append(s).append("]").append(end).append(k).append("=").append(value) += end;
    }
    if (!replaceFile(target->string(), encode(out, form))) return false;
    if (kept_) (*kept_)[{lower(s), lower(k)}] = value;
    return true;
}

bool replaceFile(const std::string& path, const std::string& contents) {
    std::error_code error;
    // A link is followed, so that the file it names changes and the link stays.
    const auto followed = resolved(path);
    if (!followed) return false;
    const fs::path& target = *followed;
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
