#include "settings/startup_registration.h"

namespace vr {

std::string runValueData(const std::string& executable) { return "\"" + executable + "\""; }

bool setRunValue(RunKey& key, const std::string& name, const std::string& executable, bool registered) {
    using Scope = RunKey::Scope;
    if (!registered) {
        // Both keys, whichever this user can open: an earlier run may have registered under either.
        const bool machine = key.deleteValue(Scope::machine, name) != RunKey::Result::notOpened;
        const bool user = key.deleteValue(Scope::user, name) != RunKey::Result::notOpened;
        return machine || user;
    }
    const std::string data = runValueData(executable);
    RunKey::Result result = key.setValue(Scope::machine, name, data);
    // Registered in one place only: a value an earlier run without the rights left in the user's own key
    // would start a second copy at this user's log-on.
    if (result == RunKey::Result::done) key.deleteValue(Scope::user, name);
    if (result == RunKey::Result::notOpened) result = key.setValue(Scope::user, name, data);
    switch (result) {
    case RunKey::Result::done: return true;
    case RunKey::Result::notOpened: return false;
    case RunKey::Result::failed: break;
    }
    throw Error("Failed to set data for '" + name + "'");
}

}  // namespace vr
