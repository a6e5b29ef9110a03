// A fake of the Windows registry's two Run keys, for the start-up registration's policy.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "win32/adapters/run_key_autostart.h"

namespace vr::fake {

// The per-machine Run key and the user's own.
class RunKey : public win32::RunKey {
public:
    struct Key {
        bool canOpen = true;  // false: the user lacks the rights to open the key for writing
        std::map<std::string, std::string> values;
    };
    Key machine, user;
    bool failWrite = false;  // a key that opens refuses the write
    struct Call {
        std::string op;  // "set" or "delete"; only calls that opened the key are logged
        Scope scope;
        std::string name, data;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    int attempts = 0;  // every call, opened or not

    Key& key(Scope scope) { return scope == Scope::machine ? machine : user; }

    Result setValue(Scope scope, const std::string& name, const std::string& data) override {
        ++attempts;
        if (!key(scope).canOpen) return Result::notOpened;
        calls.push_back({"set", scope, name, data});
        if (failWrite) return Result::failed;
        key(scope).values[name] = data;
        return Result::done;
    }
    Result deleteValue(Scope scope, const std::string& name) override {
        ++attempts;
        if (!key(scope).canOpen) return Result::notOpened;
        calls.push_back({"delete", scope, name, ""});
        key(scope).values.erase(name);
        return Result::done;
    }
};

}  // namespace vr::fake
