// The sound player on Linux: GStreamer's playbin, loaded at the first sound so that the program starts light.
#pragma once
#include <mutex>
#include <string>
#include <utility>

#include "ports.h"

typedef struct _GstElement GstElement;

namespace vr::lx {

// Plays one file or URI once through, at half volume, on GStreamer's own threads. No main loop is needed: the
// pipeline's messages are dropped as they are posted (an error's text is kept for the message of a failed
// start), so none piles up however long the program runs.
class GstPlayer final : public MediaPlayer {
public:
    // The sink to play into, by its factory name ("fakesink" where no sound may be heard); "" for the one
    // GStreamer chooses for the desktop.
    explicit GstPlayer(std::string audioSink = {}) : audioSink_(std::move(audioSink)) {}
    ~GstPlayer() override;
    GstPlayer(const GstPlayer&) = delete;
    GstPlayer& operator=(const GstPlayer&) = delete;

    // A path (relative ones from the working folder) or a URI; "" only stops what plays.
    void setUrl(const std::string& url) override;
    void stop() override;
    void close() override;

    // The URI playbin is given for what setUrl is given; Error when a path cannot be made one.
    static std::string uriOf(const std::string& url);

    // For the tests: true once the sound has played to its end, false before and after stop, close and a new
    // setUrl.
    bool finished();

private:
    void create();
    void release();

    std::string audioSink_;
    GstElement* pipeline_ = nullptr;
    std::mutex mutex_;  // the messages arrive on GStreamer's threads
    std::string error_;
    bool ended_ = false;
};

}  // namespace vr::lx
