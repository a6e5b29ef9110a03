// The alert sound's fallback: when the multimedia (MCI) player plays instead of the media player, and the
// command that opens a file in it.
#include <gtest/gtest.h>

#include "win32/adapters/fallback_player.h"

namespace vr::win32 {
namespace {

using Kind = PlayerChoice::Kind;

TEST(PlayerChoice, NothingIsCreatedBeforeTheFirstSound) {
    int attempts = 0;
    PlayerChoice choice([&] { return ++attempts, true; });
    EXPECT_EQ(choice.kind(), Kind::none);
    EXPECT_EQ(attempts, 0);
}

TEST(PlayerChoice, AMediaPlayerThatCannotBeCreatedLeavesTheSoundToTheMultimediaPlayer) {
    int attempts = 0;
    PlayerChoice choice([&] { return ++attempts, false; });
    EXPECT_EQ(choice.choose(), Kind::mci);
    EXPECT_EQ(choice.choose(), Kind::mci);  // the second sound does not try again
    EXPECT_EQ(choice.kind(), Kind::mci);
    EXPECT_EQ(attempts, 1);
}

TEST(PlayerChoice, AMediaPlayerThatWorksPlaysAndAfterAReleaseTheNextSoundChoosesAgain) {
    bool works = true;
    int attempts = 0;
    PlayerChoice choice([&] { return ++attempts, works; });
    EXPECT_EQ(choice.choose(), Kind::mediaPlayer);
    EXPECT_EQ(choice.choose(), Kind::mediaPlayer);
    EXPECT_EQ(attempts, 1);
    choice.reset();
    EXPECT_EQ(choice.kind(), Kind::none);
    works = false;
    EXPECT_EQ(choice.choose(), Kind::mci);
    EXPECT_EQ(attempts, 2);
}

TEST(MciOpenCommand, HoldsThePathInQuotesUnderTheAlias) {
    EXPECT_EQ(mciOpenCommand("C:\\Sounds\\alert.mp3", "vigilampsound"),
              "open \"C:\\Sounds\\alert.mp3\" type mpegvideo alias vigilampsound");
    EXPECT_EQ(mciOpenCommand("C:\\Program Files\\Vigilamp Rizu\\vigilampairraid.mp3", "vigilampsound"),
              "open \"C:\\Program Files\\Vigilamp Rizu\\vigilampairraid.mp3\" type mpegvideo alias vigilampsound");
}

TEST(MciOpenCommand, RefusesAPathWithAQuoteThatWouldAddOptions) {
    const std::string path = "C:\\a.mp3\" type waveaudio alias other wait \"x";
    try {
        mciOpenCommand(path, "vigilampsound");
        FAIL() << "the command was built";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "The multimedia player could not open \"" + path +
                                             "\": a file name cannot contain '\"'");
    }
    EXPECT_THROW(mciOpenCommand("C:\\Sounds\\alert.mp3\"", "vigilampsound"), Error);  // a quote at the end
    EXPECT_THROW(mciOpenCommand("\"C:\\Sounds\\alert.mp3\"", "vigilampsound"), Error);  // a path quoted already
}

TEST(PlayableFiles, ADevicePathIsNeverGivenToAPlayerWhoseOpeningWouldWaitOnIt) {
    for (const char* device : {"\\\\.\\pipe\\vigilamp", "//./pipe/x", "\\\\.\\COM1", "CON", "c:\\music\\nul.mp3",
                               "D:\\x\\com7", "aux.wav", "LPT1.mp3", "conin$", "\\\\?\\GLOBALROOT\\Device\\Null"})
        EXPECT_TRUE(isDevicePath(device)) << device;
    for (const char* file : {"C:\\Sounds\\ring.mp3", "\\\\server\\share\\con.txt\\ring.mp3", "console.mp3",
                             "COM10.mp3", "LPT0", "\\\\?\\C:\\long\\path.wav", "nullify.mp3", "ring.con"})
        EXPECT_FALSE(isDevicePath(file)) << file;
}

}  // namespace
}  // namespace vr::win32
