// The alert sound's player: the Windows Media Player object, without a window of its own, created at the first
// sound; where the system has no such player, the multimedia (MCI) player instead.
#pragma once
#include <windows.h>

#include "ports.h"

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
    enum class Kind { none, mediaPlayer, mci };
    void create();
    void release();

    Kind kind_ = Kind::none;
    IWMPPlayer4* player_ = nullptr;
};

}  // namespace vr::win32
