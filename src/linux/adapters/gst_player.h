// The sound player on Linux: GStreamer's playbin, loaded at the first sound so that the program starts light.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "ports.h"

typedef struct _GstElement GstElement;

namespace vr::lx {

// Plays one file or URI once through, at half volume, on GStreamer's own threads. No main loop is needed: the
// pipeline's messages are dropped as they are posted (an error's text is kept for the message of a failed
// start), so none piles up however long the program runs. Opening a file and every change of the pipeline's
// state happen on a thread of the player's own, in the order asked: a file whose opening blocks (a stalled
// network share) holds up that thread, never the caller's. Only regular files are played: a pipe, a device or a
// folder would block the opening or never end.
class GstPlayer final : public MediaPlayer {
public:
    // The sink to play into, by its factory name ("fakesink" where no sound may be heard); "" for the one
    // GStreamer chooses for the desktop.
    explicit GstPlayer(std::string audioSink = {});
    ~GstPlayer() override;  // waits a moment for the player's thread, then leaves it behind with its work
    GstPlayer(const GstPlayer&) = delete;
    GstPlayer& operator=(const GstPlayer&) = delete;

    // A path (relative ones from the working folder) or a URI; "" only stops what plays. A file that is missing
    // or no regular file is an error at once; one that fails once its opening began goes to onFailure.
    void setUrl(const std::string& url) override;
    void stop() override;
    void close() override;

    // Where a failure found on the player's thread goes, with the message setUrl would have thrown; called on
    // that thread.
    void onFailure(std::function<void(const std::string&)> report);

    // The URI playbin is given for what setUrl is given; Error when a path cannot be made one.
    static std::string uriOf(const std::string& url);

    // For the tests: true once the sound has played to its end, false before and after stop, close and a new
    // setUrl; whether the player's thread has done all it was asked within the limit.
    bool finished();
    bool idle(std::chrono::milliseconds limit);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace vr::lx
