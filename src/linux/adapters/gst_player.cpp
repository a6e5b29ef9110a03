#include "linux/adapters/gst_player.h"

#include <gst/gst.h>
#include <sys/stat.h>

namespace vr::lx {

namespace {

// GStreamer is loaded at the first sound, once for the program's life.
void needGstreamer() {
    static std::once_flag once;
    static std::string failure;
    std::call_once(once, [] {
        GError* error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) failure = error ? error->message : "unknown error";
        g_clear_error(&error);
    });
    if (!failure.empty()) throw Error("The media player could not be started: " + failure);
}

// playbin's flags: audio only (a video's pictures open no window, as the invisible player on Windows shows
// none), with its own volume.
constexpr guint kAudio = 0x2, kSoftVolume = 0x10;

}  // namespace

GstPlayer::~GstPlayer() { release(); }

std::string GstPlayer::uriOf(const std::string& url) {
    needGstreamer();
    struct stat file {};
    if (::stat(url.c_str(), &file) != 0 && gst_uri_is_valid(url.c_str())) return url;
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(url.c_str(), &error);
    if (!uri) {
        const std::string reason = error ? error->message : "not a file name";
        g_clear_error(&error);
        throw Error("The media player could not open \"" + url + "\": " + reason);
    }
    std::string result = uri;
    g_free(uri);
    return result;
}

void GstPlayer::create() {
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) throw Error("The media player could not be created: GStreamer has no playbin");
    gst_object_ref_sink(playbin);
    if (!audioSink_.empty()) {
        GstElement* sink = gst_element_factory_make(audioSink_.c_str(), nullptr);
        if (!sink) {
            gst_object_unref(playbin);
            throw Error("The media player could not be created: GStreamer has no " + audioSink_);
        }
        g_object_set(playbin, "audio-sink", sink, nullptr);
    }
    g_object_set(playbin, "flags", kAudio | kSoftVolume, "volume", 0.5, nullptr);
    // No main loop reads the bus: each message is looked at on the thread that posts it and dropped.
    const auto onMessage = [](GstBus*, GstMessage* message, gpointer data) {
        auto& self = *static_cast<GstPlayer*>(data);
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const std::lock_guard lock(self.mutex_);
            if (self.error_.empty() && error) self.error_ = error->message;
            g_clear_error(&error);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            const std::lock_guard lock(self.mutex_);
            self.ended_ = true;
        }
        return GST_BUS_DROP;
    };
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, onMessage, this, nullptr);
    gst_object_unref(bus);
    pipeline_ = playbin;
}

void GstPlayer::setUrl(const std::string& url) {
    needGstreamer();
    if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_NULL);  // the sound before ends
    {
        const std::lock_guard lock(mutex_);
        error_.clear();
        ended_ = false;
    }
    if (url.empty()) return;
    const std::string uri = uriOf(url);
    if (!pipeline_) create();
    g_object_set(pipeline_, "uri", uri.c_str(), nullptr);
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) return;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
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
    if (gst_element_set_state(pipeline_, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE)
        throw Error("The media player could not stop the sound");
}

void GstPlayer::close() {
    if (!pipeline_) return;
    const bool stopped = gst_element_set_state(pipeline_, GST_STATE_NULL) != GST_STATE_CHANGE_FAILURE;
    release();
    if (!stopped) throw Error("The media player could not be closed");
}

void GstPlayer::release() {
    if (!pipeline_) return;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    const std::lock_guard lock(mutex_);
    ended_ = false;
}

bool GstPlayer::finished() {
    const std::lock_guard lock(mutex_);
    return ended_;
}

}  // namespace vr::lx
