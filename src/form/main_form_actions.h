// The Actions page's texts and dialogs, shared by the form and its tests.
#pragma once
#include <string>

#include "model/texts.h"
#include "ports.h"

namespace vr {

// "Browse..." of the program group and of the sound group.
extern const OpenFileRequest kProgramDialog;
extern const OpenFileRequest kSoundDialog;

// The default sound beside the executable: its folder, with the separator, and the sound's file name.
std::string defaultSoundFor(const std::string& executable);

}  // namespace vr
