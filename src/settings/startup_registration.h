// Starting with Windows: the program's value in the per-machine Run key, holding the executable's full path.
#pragma once
#include <string>

#include "ports.h"

namespace vr {

inline constexpr const char* kRunValueName = "Vigilamp Rizu";
inline constexpr const char* kRunKeyNeedsAdmin =
    "Unable to change the start-up registration: administrator rights are needed";

// Writes the value when registered, deletes it otherwise (a value already absent is no error). Returns false
// when the key could not be opened, so nothing changed; a refused write throws
// Error("Failed to set data for '<name>'").
bool setRunValue(RunKey& key, const std::string& name, const std::string& data, bool registered);

}  // namespace vr
