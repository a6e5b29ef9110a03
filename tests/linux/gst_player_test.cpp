// The Linux sound player: the default siren plays to its end through GStreamer (into a sink that makes no
// sound), a file that cannot be opened is an error naming the operation, and stop and close work at any time.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "linux/adapters/gst_player.h"

namespace vr::lx {
namespace {

const std::string kSiren = VIGILAMP_ASSETS "/vigilampairraid.mp3";

bool playsToTheEnd(GstPlayer& player) {
    for (int i = 0; i < 1000 && !player.finished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return player.finished();
}

TEST(GstPlayer, TheSirenPlaysToItsEndAgainAfterAStopAndAClose) {
    GstPlayer player("fakesink");
    player.stop();  // nothing has played: nothing to do
    player.close();
    player.setUrl(kSiren);
    EXPECT_TRUE(playsToTheEnd(player));
    player.setUrl(GstPlayer::uriOf(kSiren));  // a URI as well as a path
    player.stop();
    EXPECT_FALSE(player.finished());
    player.close();
    player.setUrl(kSiren);
    EXPECT_TRUE(playsToTheEnd(player));
    player.setUrl("");  // only stops
    EXPECT_FALSE(player.finished());
}

TEST(GstPlayer, AFileThatCannotBeOpenedIsAnErrorNamingItAndTheNextSoundStillPlays) {
    GstPlayer player("fakesink");
    try {
        player.setUrl("/nonexistent/siren.mp3");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        // GStreamer's own reason follows, in the user's language.
        const std::string prefix = "The media player could not open \"/nonexistent/siren.mp3\": ";
        EXPECT_TRUE(std::string(e.what()).starts_with(prefix) && std::string(e.what()).size() > prefix.size())
            << e.what();
    }
    player.setUrl(kSiren);
    EXPECT_TRUE(playsToTheEnd(player));
}

TEST(GstPlayer, OnlyRegularFilesArePlayedAndNothingWaitsForTheOpening) {
    GstPlayer player("fakesink");
    const std::string fifo = ::testing::TempDir() + "vigilamp-sound-fifo";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto refusal = [&](const std::string& url) -> std::string {
        try {
            player.setUrl(url);
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(refusal(fifo), "The media player could not open \"" + fifo +
                                 "\": it is not a regular file (a pipe or a device), and only files are played");
    EXPECT_EQ(refusal("/dev/zero"), "The media player could not open \"/dev/zero\": it is not a regular file (a pipe "
                                    "or a device), and only files are played");
    EXPECT_EQ(refusal("/tmp"), "The media player could not open \"/tmp\": it is a folder, and only files are played");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "nothing opened the pipe";
    ::unlink(fifo.c_str());
    player.setUrl(kSiren);
    EXPECT_TRUE(playsToTheEnd(player));

    // A failure once the opening began (here: no such sink) reaches the front end from the player's thread.
    GstPlayer broken("vigilamp-no-such-sink");
    std::mutex mutex;
    std::string reported;
    broken.onFailure([&](const std::string& message) {
        const std::lock_guard lock(mutex);
        reported = message;
    });
    broken.setUrl(kSiren);  // returns before anything is opened
    ASSERT_TRUE(broken.idle(std::chrono::seconds(10)));
    const std::lock_guard lock(mutex);
    EXPECT_EQ(reported, "The media player could not be created: GStreamer has no vigilamp-no-such-sink");
}

TEST(GstPlayer, PathsBecomeFileUris) {
    EXPECT_EQ(GstPlayer::uriOf("/tmp/my sound#1.mp3"), "file:///tmp/my%20sound%231.mp3");
    EXPECT_EQ(GstPlayer::uriOf("https://example.org/a.mp3"), "https://example.org/a.mp3");
}

}  // namespace
}  // namespace vr::lx
