// Starting with Windows: the program's value in a Run key, holding the executable's full path in quotes. The
// per-machine key starts it for everyone; where that key cannot be opened for writing, the user's own key
// starts it for that user. Free of <windows.h>, so the policy is tested natively with a fake registry.
#pragma once
#include <optional>
#include <string>

#include "ports.h"

namespace vr::win32 {

// The start-up registration: a named value in a Run key, the per-machine one or the user's own. The key is
// opened for writing by every call and closed again.
class RunKey {
public:
    enum class Scope { machine, user };
    enum class Result { done, notOpened, failed };
    virtual ~RunKey() = default;
    // Writes the value as a string: notOpened when the key cannot be opened, failed when the write is refused.
    virtual Result setValue(Scope scope, const std::string& name, const std::string& data) = 0;
    // Deletes the value: notOpened when the key cannot be opened, otherwise done, whether or not it existed.
    virtual Result deleteValue(Scope scope, const std::string& name) = 0;
};

inline constexpr const char* kRunValueName = "Vigilamp Rizu";

// The value's data: the path in double quotes. Unquoted, Windows reads a path with spaces as a program and its
// arguments, trying each prefix that ends at a space first: for a copy in "C:\Tools\Vigilamp Rizu" it would
// start a "C:\Tools\Vigilamp.exe" planted beside that folder. A file name cannot hold a quote of its own.
std::string runValueData(const std::string& executable);

class RunKeyAutostart final : public Autostart {
public:
    RunKeyAutostart(RunKey& key, std::string executable) : key_(key), executable_(std::move(executable)) {}
    // On: writes the value under the per-machine key (and then removes the user's own, so that it is registered
    // once) or, when the machine's cannot be opened, under the user's. Off: deletes it from both keys (a value
    // already absent is no error). Nothing changed when no key could be opened; a refused write throws
    // Error("Failed to set data for 'Vigilamp Rizu'").
    std::optional<std::string> set(bool on) override;

private:
    RunKey& key_;
    std::string executable_;
};

}  // namespace vr::win32
