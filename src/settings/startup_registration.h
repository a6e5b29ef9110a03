// Starting with Windows: the program's value in a Run key, holding the executable's full path in quotes. The
// per-machine key starts it for everyone; where that key cannot be opened for writing, the user's own key
// starts it for that user.
#pragma once
#include <string>

#include "ports.h"

namespace vr {

inline constexpr const char* kRunValueName = "Vigilamp Rizu";
inline constexpr const char* kRunKeyNeedsAdmin =
    "Unable to change the start-up registration: administrator rights are needed";

// The value's data: the path in double quotes. Unquoted, Windows reads a path with spaces as a program and its
// arguments, trying each prefix that ends at a space first: for a copy in "C:\Tools\Vigilamp Rizu" it would
// start a "C:\Tools\Vigilamp.exe" planted beside that folder. A file name cannot hold a quote of its own.
std::string runValueData(const std::string& executable);

// Registered: writes the value under the per-machine key (and then removes the user's own, so that it is
// registered once) or, when the machine's cannot be opened, under the user's.
// Unregistered: deletes the value from both keys (a value already absent is no error). Returns false when no
// key could be opened, so nothing changed; a refused write throws Error("Failed to set data for '<name>'").
bool setRunValue(RunKey& key, const std::string& name, const std::string& executable, bool registered);

}  // namespace vr
