// Fakes of every port: each has knobs for what the platform "says" and a record of what the core did.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "linux/adapters/case_fold.h"
#include "model/layout.h"
#include "model/model.h"
#include "ports.h"
#include "win32/adapters/key_led.h"

namespace vr::fake {

// One record across several fakes, for tests of the order in which the core reaches different ports.
using Journal = std::vector<std::string>;
inline void note(Journal* journal, const std::string& entry) {
    if (journal) journal->push_back(entry);
}

// Timers over a clock that tests step forward explicitly. Like SetTimer, starting a running id restarts it.
class Timers : public TimerHost {
public:
    std::function<void(int)> onTick;  // the message loop: delivers a tick
    int available = 100;              // how many timers the platform still gives

    bool start(int id, unsigned ms) override {
        if (!running_.count(id) && static_cast<int>(running_.size()) >= available) return false;
        running_[id] = {ms, now_ + ms};
        return true;
    }
    void stop(int id) override { running_.erase(id); }

    bool running(int id) const { return running_.count(id) != 0; }
    std::uint64_t now() const { return now_; }

    // Delivers every tick due within ms, in time order.
    void advance(std::uint64_t ms) {
        const std::uint64_t end = now_ + ms;
        for (;;) {
            auto next = std::min_element(running_.begin(), running_.end(),
                                         [](auto& a, auto& b) { return a.second.due < b.second.due; });
            if (next == running_.end() || next->second.due > end) break;
            now_ = next->second.due;
            next->second.due += next->second.interval;
            if (onTick) onTick(next->first);
        }
        now_ = end;
    }

private:
    struct Entry {
        unsigned interval;
        std::uint64_t due;
    };
    std::map<int, Entry> running_;
    std::uint64_t now_ = 0;
};

// The lock lights as the core sees them: a set acts at once and a read tells the state as it is now.
class LockLights : public vr::LockLights {
public:
    bool lit[3] = {};  // Caps, Num, Scroll
    int looks = 0;     // reads of the keyboard
    struct Change {
        LockKey key;
        bool on;
        bool operator==(const Change&) const = default;
    };
    std::vector<Change> changes;  // every light the program switched, in order

    LockStates states() override {
        ++looks;
        return {lit[0], lit[1], lit[2]};
    }
    void set(LockKey key, bool on) override {
        bool& light = lit[static_cast<int>(key)];
        if (light == on) return;
        light = on;
        changes.push_back({key, on});
    }
    bool on(LockKey key) const { return lit[static_cast<int>(key)]; }
    bool allOff() const { return !lit[0] && !lit[1] && !lit[2]; }
};

// The keyboard's lamps apart from the lock state: no route until a test gives one, as on a system without any.
class Lamps : public vr::Lamps {
public:
    LampRoute way = LampRoute::none;
    std::vector<LockStates> shown;  // every show, in order
    int releases = 0;
    LockStates lamps;  // what the keyboard's lamps show now
    LockLights* locks = nullptr;  // what a release gives them back

    LampRoute route() override { return way; }
    void show(LockStates l) override {
        shown.push_back(l);
        lamps = l;
    }
    void release() override {
        ++releases;
        if (locks) lamps = {locks->on(LockKey::Caps), locks->on(LockKey::Num), locks->on(LockKey::Scroll)};
    }
};

// The Windows keyboard calls under TKeyLed. Synthesised strokes reach the state the thread reads only when the
// system has taken them (settle), unless immediate is set.
class Keyboard : public win32::KeyboardApi {
public:
    std::uint8_t keys[256] = {};
    int platform = 2;
    bool immediate = false;
    struct Event {
        std::uint8_t vk, scan;
        std::uint32_t flags;
    };
    std::vector<Event> events;
    int stateWrites = 0;

    int stateReads = 0;

    std::uint8_t keyState(std::uint8_t vk) override {
        ++stateReads;
        return keys[vk];
    }
    void state(std::uint8_t out[256]) override {
        std::copy(keys, keys + 256, out);
        ++stateReads;
    }
    void setState(const std::uint8_t in[256]) override {
        std::copy(in, in + 256, keys);
        ++stateWrites;
    }
    void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
        events.push_back({vk, scan, flags});
        if (flags & 0x2) {  // the release toggles the lock
            pending_.push_back(vk);
            if (immediate) settle();
        }
    }
    int platformId() override { return platform; }

    void settle() {
        for (std::uint8_t vk : pending_) keys[vk] ^= 1;
        pending_.clear();
    }
    bool on(int vk) const { return keys[vk] & 1; }

private:
    std::vector<std::uint8_t> pending_;
};

class Windows : public vr::Windows {
public:
    std::set<std::string> open;  // classes of the windows that exist (found by class only)
    std::vector<std::string> lookups;
    std::vector<std::pair<WindowHandle, std::string>> commands;  // "minimise" or "close"
    Journal* journal = nullptr;                     // "find:<class>", "command:minimise", "command:close"
    std::function<void(const std::string&)> found;  // runs after a lookup: windows may come and go here

    // The desktop's top-level windows in enumeration order, as the survey sees them. A title or class longer
    // than a buffer holds is given whole: cutting it is the core's job. Erasing one closes that window.
    struct Desktop {
        WindowHandle handle;
        std::string title, className;
        WindowOwner owner;
    };
    std::vector<Desktop> desktop;
    int enumerations = 0;

    static WindowHandle handleOf(const std::string& name) { return std::hash<std::string>{}(name) | 1; }
    // Without a title pattern, a class in open or on the desktop, as the platform's lookup by class finds it;
    // with one, the first desktop window that fits the rule. An empty rule finds nothing.
    WindowHandle find(const WindowRule& rule) override {
        const std::string& name = rule.className;
        lookups.push_back(name);
        note(journal, "find:" + name + (rule.titlePattern ? " title:" + *rule.titlePattern : ""));
        WindowHandle window = 0;
        const RuleMatcher matcher(rule, lx::foldCase);
        if (rule.empty()) {
        } else if (!rule.titlePattern) {
            window = open.count(name) ? handleOf(name) : 0;
            // As the system looks a class up: without regard to letter case.
            if (const Desktop* w = find([&](const Desktop& d) { return matcher.fitsClass(std::string_view(d.className)); }))
                window = w->handle;
        } else if (const Desktop* w = find([&](const Desktop& d) { return matcher.fits(d.className, d.title); })) {
            window = w->handle;
        }
        if (found) found(name);
        return window;
    }
    bool fits(WindowHandle window, const WindowRule& rule) override {
        const auto className = classOf(window);
        const auto title = titleOf(window);
        return className && title && RuleMatcher(rule, lx::foldCase).fits(*className, *title);
    }
    void minimise(WindowHandle window) override {
        commands.push_back({window, "minimise"});
        note(journal, "command:minimise");
    }
    void close(WindowHandle window) override {
        commands.push_back({window, "close"});
        note(journal, "command:close");
    }
    std::vector<TopLevelWindow> topLevelWindows() override {
        ++enumerations;
        std::vector<TopLevelWindow> all;
        for (const Desktop& d : desktop) all.push_back({d.handle, d.title});
        return all;
    }
    std::optional<std::string> classOf(WindowHandle window) override {
        if (const Desktop* w = find([&](const Desktop& d) { return d.handle == window; })) return w->className;
        return std::nullopt;
    }
    std::optional<WindowOwner> ownerOf(WindowHandle window) override {
        if (const Desktop* w = find([&](const Desktop& d) { return d.handle == window; })) return w->owner;
        return std::nullopt;
    }
    std::optional<std::string> titleOf(WindowHandle window) override {
        if (const Desktop* w = find([&](const Desktop& d) { return d.handle == window; })) return w->title;
        return std::nullopt;
    }
    std::string reached = "every window of the fake desktop", limited;
    std::string reach() override { return reached; }
    std::string limits() override { return limited; }
    void closeDesktopWindow(WindowHandle window) {
        std::erase_if(desktop, [&](const Desktop& d) { return d.handle == window; });
    }

private:
    template <class Pred>
    const Desktop* find(Pred pred) const {
        const auto it = std::find_if(desktop.begin(), desktop.end(), pred);
        return it == desktop.end() ? nullptr : &*it;
    }
};

// The platform's window events: attention is reported unless a reason is set; every change of what is
// listened for is recorded.
class WindowEvents : public vr::WindowEvents {
public:
    std::optional<std::string> reason;
    struct Listening {
        bool changes, attention;
        bool operator==(const Listening&) const = default;
    };
    std::vector<Listening> listening;
    std::optional<std::string> attentionUnavailable() override { return reason; }
    void listen(bool changes, bool attention) override { listening.push_back({changes, attention}); }
    bool attentionHeard() const { return !listening.empty() && listening.back().attention; }
};

// What the program asked the desktop to open, in order: "program", "document" or "address", and what.
class Launcher : public vr::Launcher {
public:
    struct Call {
        std::string kind, target;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    Journal* journal = nullptr;  // "open:<target>"
    void program(const std::string& path) override { log("program", path); }
    void document(const std::string& path) override { log("document", path); }
    void address(const std::string& url) override { log("address", url); }

private:
    void log(const char* kind, const std::string& target) {
        calls.push_back({kind, target});
        note(journal, "open:" + target);
    }
};

// The session's start-up list: whether this copy is on it, every change asked for, and knobs for a user who
// may not change it and for a write the platform refuses.
class Autostart : public vr::Autostart {
public:
    bool registered = false;
    std::vector<bool> asked;             // every set, in order
    std::optional<std::string> refusal;  // when set, nothing can be changed, and this says why
    bool failWrite = false;              // a write is refused after all: Error
    std::optional<std::string> set(bool on) override {
        asked.push_back(on);
        if (refusal) return refusal;
        if (failWrite) throw Error("Failed to set data for 'Vigilamp Rizu'");
        registered = on;
        return std::nullopt;
    }
};

// The tray icon as the user sees it: its picture and tip, every notification, and whether it is there at all.
class TrayIcon : public vr::TrayIcon {
public:
    bool shown = false;
    TrayPicture picture = TrayPicture::usual;
    std::string tip;
    std::vector<TrayPicture> pictures;  // every picture shown, in order
    std::vector<std::string> notes;
    void show(TrayPicture p, const std::string& t) override {
        shown = true;
        picture = p;
        tip = t;
        pictures.push_back(p);
    }
    void remove() override { shown = false; }
    void notify(const std::string& text) override { notes.push_back(text); }
};

class Dialogs : public vr::Dialogs {
public:
    struct Box {
        std::string kind, text;
    };
    std::vector<Box> shown;
    std::deque<bool> answers;          // the user's answers to confirmations, Yes when none is left
    std::function<void()> whileOpen;   // runs while a confirmation is open (the nested message loop)
    std::deque<std::optional<std::string>> files;  // the files chosen in open dialogs; cancelled when none left
    std::vector<OpenFileRequest> requests;          // every open dialog shown, in order
    std::string dialogFailure;                      // when set, an open dialog fails with this message

    bool confirm(const std::string& text) override {
        shown.push_back({"confirm", text});
        if (whileOpen) whileOpen();
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(const std::string& text) override { shown.push_back({"error", text}); }
    void warning(const std::string& text) override { shown.push_back({"warning", text}); }
    void exception(const std::string& text) override { shown.push_back({"exception", text}); }
    std::vector<std::string> reports;  // what went to the report, where no box may wait
    void report(const std::string& text) override { reports.push_back(text); }
    std::optional<std::string> openFile(const OpenFileRequest& request) override {
        requests.push_back(request);
        if (!dialogFailure.empty()) throw Error(dialogFailure);
        if (files.empty()) return std::nullopt;
        auto chosen = files.front();
        files.pop_front();
        return chosen;
    }
};

// A sound player that records each call; a knob per operation makes it fail as the platform would.
class MediaPlayer : public vr::MediaPlayer {
public:
    std::vector<std::string> calls;  // "url:<path>", "stop", "close", in order, failed ones included
    std::string failUrl, failStop, failClose;  // when set, that operation throws Error with the message
    std::optional<std::string> playing;        // the sound that plays now
    Journal* journal = nullptr;                // the same entries as calls

    void setUrl(const std::string& url) override {
        calls.push_back("url:" + url);
        note(journal, calls.back());
        if (!failUrl.empty()) throw Error(failUrl);
        playing = url;
    }
    void stop() override {
        calls.push_back("stop");
        note(journal, calls.back());
        if (!failStop.empty()) throw Error(failStop);
        playing.reset();
    }
    void close() override {
        calls.push_back("close");
        note(journal, calls.back());
        if (!failClose.empty()) throw Error(failClose);
        playing.reset();
    }
};

// A settings file in memory. Keys are looked up as the platform does, without regard to letter case.
class Profile : public ProfileFile {
public:
    struct Entry {
        std::string section, key, value;
    };
    struct Write {
        std::string section, key, value;
        bool refused;
        bool operator==(const Write&) const = default;
    };
    std::string where = "C:\\Program Files\\Vigilamp\\vigilamp.ini";
    bool refuse = false;         // every write is refused, as for a read-only file or folder
    std::vector<Write> writes;   // every write attempted, in order
    std::string lacking;         // characters the file's encoding cannot hold (a code page's gaps)
    int readings = 0;            // how often the file itself was read
    bool kept = false;           // reads come from one reading (keepRead)

    bool exists() override { return !contents.empty(); }
    std::optional<std::string> cannotHold(const std::string& value) override {
        if (value.find_first_of(lacking) == std::string::npos || lacking.empty()) return std::nullopt;
        return "holds a character the system's code page lacks";
    }
    void keepRead(bool on) override {
        if (on && !kept) ++readings;
        kept = on;
    }

    void set(const std::string& section, const std::string& key, const std::string& value) {
        contents[lower(section) + "\n" + lower(key)] = value;
    }
    std::optional<std::string> get(const std::string& section, const std::string& key) const {
        const auto it = contents.find(lower(section) + "\n" + lower(key));
        if (it == contents.end()) return std::nullopt;
        return it->second;
    }

    // As the profile functions read a value: the blanks around it and one pair of quotes around it do not count.
    std::optional<std::string> read(const std::string& section, const std::string& key) override {
        if (!kept) ++readings;
        auto value = get(section, key);
        if (!value) return value;
        const auto first = value->find_first_not_of(" \t"), last = value->find_last_not_of(" \t");
        *value = first == std::string::npos ? "" : value->substr(first, last - first + 1);
        if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') && value->back() == value->front())
            *value = value->substr(1, value->size() - 2);
        return value;
    }
    bool write(const std::string& section, const std::string& key, const std::string& value) override {
        writes.push_back({section, key, value, refuse});
        if (refuse || value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
        set(section, key, value);
        return true;
    }
    std::string path() override { return where; }

private:
    static std::string lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    std::map<std::string, std::string> contents;
};

// The main window: what it shows, as the model told it, and the window operations the core asked for.
class View : public vr::View {
public:
    std::map<Ctl, bool> checks, enables;
    std::map<Ctl, std::string> texts;
    std::map<Ctl, int> redraws;  // status light redraws
    Page shownPage = Page::Status;
    int pageChanges = 0;
    bool visible = false, terminated = false;
    std::vector<Ctl> changes;  // every check and text shown, in order
    std::map<Ctl, std::vector<ListItem>> items;
    int aboutShows = 0;
    static constexpr WindowHandle kWindow = 0x1F2E;

    // Shows the model as it is and follows it from now on.
    explicit View(Model& model) {
        for (const PageTable& table : pageTables())
            for (const ControlRow& row : table.rows) {
                texts[row.id] = model.text(row.id);
                checks[row.id] = model.checked(row.id);
                enables[row.id] = model.enabled(row.id);
                if (row.kind == Kind::Led) model.led(row.id).redraw = [this, id = row.id] { ++redraws[id]; };
            }
        model.attach(*this);
    }
    void showChecked(Ctl c, bool on) override {
        checks.at(c) = on;
        changes.push_back(c);
    }
    void showText(Ctl c, const std::string& t) override {
        texts.at(c) = t;
        changes.push_back(c);
    }
    void showEnabled(Ctl c, bool on) override { enables.at(c) = on; }
    void showItemsCleared(Ctl list) override { items[list].clear(); }
    void showItemAdded(Ctl list, const ListItem& item) override { items[list].push_back(item); }
    void showPage(Page p) override {
        shownPage = p;
        ++pageChanges;
    }
    void showMain() override { visible = true; }
    void hideMain() override { visible = false; }
    void showAbout() override { ++aboutShows; }
    void terminate() override { terminated = true; }
    WindowHandle window() override { return kWindow; }
};

}  // namespace vr::fake
