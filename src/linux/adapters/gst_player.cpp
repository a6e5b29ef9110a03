#include "linux/adapters/gst_player.h"

#include <dlfcn.h>
#include <gst/gst.h>
#include <sys/stat.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace vr::lx {

namespace {

// The GStreamer functions the player calls. The library (and GLib's object system under it) is opened at the
// first sound, once for the program's life: a program that never plays one never loads it.
#define VR_GST_FUNCTIONS(F)                                                                                    \
    F(gst_init_check) F(g_clear_error) F(g_free) F(g_object_set) F(gst_bus_set_sync_handler)                  \
    F(gst_element_factory_make) F(gst_element_get_bus) F(gst_element_set_state) F(gst_filename_to_uri)        \
    F(gst_message_parse_error) F(gst_object_ref_sink) F(gst_object_unref) F(gst_uri_is_valid)                \
    F(gst_uri_get_location)

struct Gstreamer {
#define VR_GST_POINTER(name) decltype(&::name) name = nullptr;
    VR_GST_FUNCTIONS(VR_GST_POINTER)
#undef VR_GST_POINTER
};

const Gstreamer& gst() {
    static Gstreamer api;
    static std::string failure;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = dlopen("libgstreamer-1.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            failure = dlerror();
            return;
        }
        // The GLib functions come through the library's own dependencies.
#define VR_GST_LOOKUP(name) api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name));
        VR_GST_FUNCTIONS(VR_GST_LOOKUP)
#undef VR_GST_LOOKUP
#define VR_GST_FOUND(name) &&api.name
        if (!(true VR_GST_FUNCTIONS(VR_GST_FOUND))) {
            failure = "the GStreamer library lacks a function it should have";
            return;
        }
#undef VR_GST_FOUND
        GError* error = nullptr;
        if (!api.gst_init_check(nullptr, nullptr, &error)) failure = error ? error->message : "unknown error";
        api.g_clear_error(&error);
    });
    if (!failure.empty()) throw Error("The media player could not be started: " + failure);
    return api;
}

// playbin's flags: audio only (a video's pictures open no window, as the invisible player on Windows shows
// none), with its own volume.
constexpr guint kAudio = 0x2, kSoftVolume = 0x10;

}  // namespace

// What the player's thread works on. It lives as long as that thread does, so a thread left behind at the end
// (stuck in a file's opening) never reaches into a player that is gone.
struct GstPlayer::Shared {
    std::string audioSink;
    std::mutex mutex;  // the jobs, and the messages that arrive on GStreamer's threads
    std::condition_variable wake, idle;
    std::deque<std::function<void()>> jobs;
    bool quit = false, busy = false;
    std::string error;
    bool ended = false;
    std::function<void(const std::string&)> onFailure;
    GstElement* pipeline = nullptr;  // the player's thread's alone

    void post(std::function<void()> job) {
        {
            const std::lock_guard lock(mutex);
            jobs.push_back(std::move(job));
        }
        wake.notify_one();
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return quit || !jobs.empty(); });
            if (jobs.empty()) break;
            auto job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            lock.unlock();
            job();
            lock.lock();
            busy = false;
            if (jobs.empty()) idle.notify_all();
        }
    }

    void fail(const std::string& message) {
        std::function<void(const std::string&)> report;
        {
            const std::lock_guard lock(mutex);
            report = onFailure;
        }
        if (report) report(message);
    }

    void create() {
        GstElement* playbin = gst().gst_element_factory_make("playbin", nullptr);
        if (!playbin) throw Error("The media player could not be created: GStreamer has no playbin");
        gst().gst_object_ref_sink(playbin);
        if (!audioSink.empty()) {
            GstElement* sink = gst().gst_element_factory_make(audioSink.c_str(), nullptr);
            if (!sink) {
                gst().gst_object_unref(playbin);
                throw Error("The media player could not be created: GStreamer has no " + audioSink);
            }
            gst().g_object_set(playbin, "audio-sink", sink, nullptr);
        }
        gst().g_object_set(playbin, "flags", kAudio | kSoftVolume, "volume", 0.5, nullptr);
        // No main loop reads the bus: each message is looked at on the thread that posts it and dropped.
        const auto onMessage = [](GstBus*, GstMessage* message, gpointer data) {
            auto& self = *static_cast<Shared*>(data);
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError* error = nullptr;
                gst().gst_message_parse_error(message, &error, nullptr);
                const std::lock_guard lock(self.mutex);
                if (self.error.empty() && error) self.error = error->message;
                gst().g_clear_error(&error);
            } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
                const std::lock_guard lock(self.mutex);
                self.ended = true;
            }
            return GST_BUS_DROP;
        };
        GstBus* bus = gst().gst_element_get_bus(playbin);
        gst().gst_bus_set_sync_handler(bus, onMessage, this, nullptr);
        gst().gst_object_unref(bus);
        pipeline = playbin;
    }

    void stopPlaying() {
        if (pipeline) gst().gst_element_set_state(pipeline, GST_STATE_NULL);
    }

    void play(const std::string& url, const std::string& uri) {
        stopPlaying();  // the sound before ends
        try {
            if (!pipeline) create();
        } catch (const Error& e) {
            return fail(e.what());
        }
        gst().g_object_set(pipeline, "uri", uri.c_str(), nullptr);
        if (gst().gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) return;
        stopPlaying();
        std::string reason;
        {
            const std::lock_guard lock(mutex);
            reason = error;
        }
        fail("The media player could not open \"" + url + "\"" + (reason.empty() ? "" : ": " + reason));
    }

    void release() {
        if (!pipeline) return;
        stopPlaying();
        GstBus* bus = gst().gst_element_get_bus(pipeline);
        gst().gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst().gst_object_unref(bus);
        gst().gst_object_unref(pipeline);
        pipeline = nullptr;
        const std::lock_guard lock(mutex);
        ended = false;
    }
};

GstPlayer::GstPlayer(std::string audioSink) : shared_(std::make_shared<Shared>()) {
    shared_->audioSink = std::move(audioSink);
    std::thread([shared = shared_] { shared->run(); }).detach();
}

GstPlayer::~GstPlayer() {
    auto& s = *shared_;
    s.post([&s] { s.release(); });
    {
        const std::lock_guard lock(s.mutex);
        s.quit = true;
        s.onFailure = nullptr;
    }
    s.wake.notify_one();
    // A thread stuck in a file's opening would hold the program's end up for ever: it is left behind then, with
    // what it works on.
    std::unique_lock lock(s.mutex);
    s.idle.wait_for(lock, std::chrono::seconds(2), [&s] { return s.jobs.empty() && !s.busy; });
}

void GstPlayer::onFailure(std::function<void(const std::string&)> report) {
    const std::lock_guard lock(shared_->mutex);
    shared_->onFailure = std::move(report);
}

std::string GstPlayer::uriOf(const std::string& url) {
    struct stat file {};
    if (::stat(url.c_str(), &file) != 0 && gst().gst_uri_is_valid(url.c_str())) return url;
    GError* error = nullptr;
    gchar* uri = gst().gst_filename_to_uri(url.c_str(), &error);
    if (!uri) {
        const std::string reason = error ? error->message : "not a file name";
        gst().g_clear_error(&error);
        throw Error("The media player could not open \"" + url + "\": " + reason);
    }
    std::string result = uri;
    gst().g_free(uri);
    return result;
}

void GstPlayer::setUrl(const std::string& url) {
    auto& s = *shared_;
    {
        const std::lock_guard lock(s.mutex);
        s.error.clear();
        s.ended = false;
    }
    if (url.empty()) return s.post([&s] { s.stopPlaying(); });
    const std::string uri = uriOf(url);
    // A local file is looked at here, before anything opens it: a pipe would block the opening until a writer
    // came, and a device or a folder would never play.
    gchar* location = uri.starts_with("file:") ? gst().gst_uri_get_location(uri.c_str()) : nullptr;
    const std::string local = location ? location : "";
    gst().g_free(location);
    if (!local.empty()) {
        struct stat file {};
        const std::string what = "The media player could not open \"" + url + "\": ";
        if (::stat(local.c_str(), &file) != 0) throw Error(what + std::strerror(errno));
        if (S_ISDIR(file.st_mode)) throw Error(what + "it is a folder, and only files are played");
        if (!S_ISREG(file.st_mode))
            throw Error(what + "it is not a regular file (a pipe or a device), and only files are played");
    }
    s.post([&s, url, uri] { s.play(url, uri); });
}

void GstPlayer::stop() {
    auto& s = *shared_;
    {
        const std::lock_guard lock(s.mutex);
        s.ended = false;
    }
    s.post([&s] { s.stopPlaying(); });
}

void GstPlayer::close() {
    auto& s = *shared_;
    s.post([&s] { s.release(); });
}

bool GstPlayer::finished() {
    const std::lock_guard lock(shared_->mutex);
    return shared_->ended;
}

bool GstPlayer::idle(std::chrono::milliseconds limit) {
    std::unique_lock lock(shared_->mutex);
    return shared_->idle.wait_for(lock, limit, [this] { return shared_->jobs.empty() && !shared_->busy; });
}

}  // namespace vr::lx
