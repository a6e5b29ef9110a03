// The alert sound's player: the Windows Media Player object, without a window of its own, created at the first
// sound, which opens files on threads of its own; where the system has no such player, the multimedia (MCI)
// player instead, driven from a thread of the program's own, since its opening waits for the file. Only files
// are played: a folder or a device (a named pipe, CON) is refused before anything opens it.
#pragma once
#include <windows.h>

#include "ports.h"
#include "win32/adapters/fallback_player.h"
#include "win32/adapters/worker_thread.h"

struct IWMPPlayer4;

namespace vr::win32 {

class SoundPlayer final : public MediaPlayer {
public:
    SoundPlayer() = default;
    ~SoundPlayer() override;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void setUrl(const std::string& url) override;
    void stop() override;
    void close() override;

private:
    bool createMediaPlayer();  // false, with nothing held, when the system has no media player that works
    void release();

    IWMPPlayer4* player_ = nullptr;
    PlayerChoice choice_{[this] { return createMediaPlayer(); }};
    ThreadWorker mciThread_;  // the multimedia player's commands, in order, off the window's thread
};

}  // namespace vr::win32
