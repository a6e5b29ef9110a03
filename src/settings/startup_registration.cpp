#include "settings/startup_registration.h"

namespace vr {

bool setRunValue(RunKey& key, const std::string& name, const std::string& data, bool registered) {
    if (!registered) return key.deleteValue(name) != RunKey::Result::notOpened;
    switch (key.setValue(name, data)) {
    case RunKey::Result::done: return true;
    case RunKey::Result::notOpened: return false;
    case RunKey::Result::failed: break;
    }
    throw Error("Failed to set data for '" + name + "'");
}

}  // namespace vr
