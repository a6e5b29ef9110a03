#include "linux/adapters/gst_player.h"

#include <dlfcn.h>
#include <gst/gst.h>
#include <sys/stat.h>

namespace vr::lx {

namespace {

// The GStreamer functions the player calls. The library (and GLib's object system under it) is opened at the
// first sound, once for the program's life: a program that never plays one never loads it.
#define VR_GST_FUNCTIONS(F)                                                                                    \
    F(gst_init_check) F(g_clear_error) F(g_free) F(g_object_set) F(gst_bus_set_sync_handler)                  \
    F(gst_element_factory_make) F(gst_element_get_bus) F(gst_element_set_state) F(gst_filename_to_uri)        \
    F(gst_message_parse_error) F(gst_object_ref_sink) F(gst_object_unref) F(gst_uri_is_valid)

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

GstPlayer::~GstPlayer() { release(); }

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

void GstPlayer::create() {
    GstElement* playbin = gst().gst_element_factory_make("playbin", nullptr);
    if (!playbin) throw Error("The media player could not be created: GStreamer has no playbin");
    gst().gst_object_ref_sink(playbin);
    if (!audioSink_.empty()) {
        GstElement* sink = gst().gst_element_factory_make(audioSink_.c_str(), nullptr);
        if (!sink) {
            gst().gst_object_unref(playbin);
            throw Error("The media player could not be created: GStreamer has no " + audioSink_);
        }
        gst().g_object_set(playbin, "audio-sink", sink, nullptr);
    }
    gst().g_object_set(playbin, "flags", kAudio | kSoftVolume, "volume", 0.5, nullptr);
    // No main loop reads the bus: each message is looked at on the thread that posts it and dropped.
    const auto onMessage = [](GstBus*, GstMessage* message, gpointer data) {
        auto& self = *static_cast<GstPlayer*>(data);
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst().gst_message_parse_error(message, &error, nullptr);
            const std::lock_guard lock(self.mutex_);
            if (self.error_.empty() && error) self.error_ = error->message;
            gst().g_clear_error(&error);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            const std::lock_guard lock(self.mutex_);
            self.ended_ = true;
        }
        return GST_BUS_DROP;
    };
    GstBus* bus = gst().gst_element_get_bus(playbin);
    gst().gst_bus_set_sync_handler(bus, onMessage, this, nullptr);
    gst().gst_object_unref(bus);
    pipeline_ = playbin;
}

void GstPlayer::setUrl(const std::string& url) {
    if (pipeline_) gst().gst_element_set_state(pipeline_, GST_STATE_NULL);  // the sound before ends
    {
        const std::lock_guard lock(mutex_);
        error_.clear();
        ended_ = false;
    }
    if (url.empty()) return;
    const std::string uri = uriOf(url);
    if (!pipeline_) create();
    gst().g_object_set(pipeline_, "uri", uri.c_str(), nullptr);
    if (gst().gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) return;
    gst().gst_element_set_state(pipeline_, GST_STATE_NULL);
    std::string reason;
    {
        const std::lock_guard lock(mutex_);
        reason = error_;
    }
    throw Error("The media player could not open \"" + url + "\"" + (reason.empty() ? "" : ": " + reason));
}

void GstPlayer::stop() {
    if (!pipeline_) return;  // nothing has played yet
    {
        const std::lock_guard lock(mutex_);
        ended_ = false;
    }
    if (gst().gst_element_set_state(pipeline_, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE)
        throw Error("The media player could not stop the sound");
}

void GstPlayer::close() {
    if (!pipeline_) return;
    const bool stopped = gst().gst_element_set_state(pipeline_, GST_STATE_NULL) != GST_STATE_CHANGE_FAILURE;
    release();
    if (!stopped) throw Error("The media player could not be closed");
}

void GstPlayer::release() {
    if (!pipeline_) return;
    gst().gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst().gst_element_get_bus(pipeline_);
    gst().gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst().gst_object_unref(bus);
    gst().gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    const std::lock_guard lock(mutex_);
    ended_ = false;
}

bool GstPlayer::finished() {
    const std::lock_guard lock(mutex_);
    return ended_;
}

}  // namespace vr::lx
