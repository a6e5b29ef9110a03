// The Actions page's texts and dialogs, shared by the form and its tests.
#pragma once
#include <string>

#include "ports.h"

namespace vr {

inline constexpr const char* kConfirmClear = "Are you sure you want to clear the selected program?";
inline constexpr const char* kDefaultSoundName = "vigilampairraid.mp3";

// "Browse..." of the program group and of the sound group.
extern const OpenFileRequest kProgramDialog;
extern const OpenFileRequest kSoundDialog;

// The default sound beside the executable: its folder, with the separator, and the sound's file name.
std::string defaultSoundFor(const std::string& executable);

}  // namespace vr
