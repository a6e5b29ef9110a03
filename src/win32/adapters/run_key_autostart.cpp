#include "win32/adapters/run_key_autostart.h"

namespace vr::win32 {

namespace {

constexpr const char* kNeedsRights = "Unable to change the start-up registration: administrator rights are needed";

}  // namespace

std::string runValueData(const std::string& executable) { return "\"" + executable + "\""; }

std::optional<std::string> RunKeyAutostart::set(bool on) {
    using Scope = RunKey::Scope;
    using Result = RunKey::Result;
    if (!on) {
        // Both keys, whichever this user can open: an earlier run may have registered under either.
        const bool machine = key_.deleteValue(Scope::machine, kRunValueName) != Result::notOpened;
        const bool user = key_.deleteValue(Scope::user, kRunValueName) != Result::notOpened;
        if (machine || user) return std::nullopt;
        return kNeedsRights;
    }
    const std::string data = runValueData(executable_);
    Result result = key_.setValue(Scope::machine, kRunValueName, data);
    // Registered in one place only: a value an earlier run without the rights left in the user's own key
    // would start a second copy at this user's log-on.
    if (result == Result::done) key_.deleteValue(Scope::user, kRunValueName);
    if (result == Result::notOpened) result = key_.setValue(Scope::user, kRunValueName, data);
    switch (result) {
    case Result::done: return std::nullopt;
    case Result::notOpened: return kNeedsRights;
    case Result::failed: break;
    }
    throw Error(std::string("Failed to set data for '") + kRunValueName + "'");
}

}  // namespace vr::win32
