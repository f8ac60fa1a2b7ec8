// An in-memory stand-in for HKEY_LOCAL_MACHINE. Key names compare without
// regard to ASCII case, as Windows does; value names too.
#include "platform/registry.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

std::u16string folded(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

struct FakeKey {
    std::map<std::u16string, std::u16string> values;  // folded name -> value
    std::map<std::u16string, int> shortReads;         // folded name -> pending short size answers
};

// The simulator probe reads the registry during static initialisation, so the
// table must exist before any other translation unit's initialisers run: it is
// built on first use, never as a namespace-scope object.
struct FakeRegistry {
    std::mutex mutex;
    std::map<std::u16string, std::shared_ptr<FakeKey>> keys;  // folded sub-key -> key
    int closeCalls = 0;
};

FakeRegistry& registry() {
    static FakeRegistry instance;
    return instance;
}

// Call with the mutex held.
std::shared_ptr<FakeKey> keyOf(FakeRegistry& r, RegistryHandle handle) {
    for (auto& [name, key] : r.keys)
        if (key.get() == handle) return key;
    return nullptr;
}
}  // namespace

long registryOpenLocalMachine(const std::u16string& subKey, std::uint32_t, RegistryHandle& key) {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    const auto it = r.keys.find(folded(subKey));
    if (it == r.keys.end()) {
        key = nullptr;
        return kRegFileNotFound;
    }
    key = it->second.get();
    return kRegSuccess;
}

long registryGetString(RegistryHandle handle, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes) {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    const auto key = keyOf(r, handle);
    if (!key) return kRegInvalidParameter;
    const auto it = key->values.find(folded(valueName));
    if (it == key->values.end()) return kRegFileNotFound;
    auto needed = static_cast<std::uint32_t>((it->second.size() + 1) * sizeof(char16_t));
    if (buffer == nullptr) {
        int& pending = key->shortReads[folded(valueName)];
        if (pending > 0) {
            --pending;
            needed -= sizeof(char16_t);
        }
        bytes = needed;
        return kRegSuccess;
    }
    if (bytes < needed) {
        bytes = needed;
        return kRegMoreData;
    }
    std::memcpy(buffer, it->second.c_str(), needed);
    bytes = needed;
    return kRegSuccess;
}

long registryClose(RegistryHandle handle) {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    ++r.closeCalls;
    return keyOf(r, handle) ? kRegSuccess : kRegInvalidParameter;
}

namespace fake_registry {
void addKey(const std::u16string& subKey) {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    auto& key = r.keys[folded(subKey)];
    if (!key) key = std::make_shared<FakeKey>();
}

void setString(const std::u16string& subKey, const std::u16string& valueName, const std::u16string& value) {
    addKey(subKey);
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.keys[folded(subKey)]->values[folded(valueName)] = value;
}

void clear() {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.keys.clear();
    r.closeCalls = 0;
}

void growBeforeNextReads(const std::u16string& subKey, const std::u16string& valueName, int n) {
    addKey(subKey);
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.keys[folded(subKey)]->shortReads[folded(valueName)] = n;
}

int closeCalls() {
    FakeRegistry& r = registry();
    const std::lock_guard lock(r.mutex);
    return r.closeCalls;
}
}  // namespace fake_registry

}  // namespace platform
