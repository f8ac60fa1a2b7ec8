// An in-memory stand-in for HKEY_LOCAL_MACHINE. Key names compare without
// regard to ASCII case, as Windows does; value names too.
#include "platform/registry.h"

#include <algorithm>
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

std::mutex g_mutex;
std::map<std::u16string, std::shared_ptr<FakeKey>> g_keys;  // folded sub-key -> key

std::shared_ptr<FakeKey> keyOf(RegistryHandle handle) {
    const std::lock_guard lock(g_mutex);
    for (auto& [name, key] : g_keys)
        if (key.get() == handle) return key;
    return nullptr;
}
}  // namespace

long registryOpenLocalMachine(const std::u16string& subKey, std::uint32_t, RegistryHandle& key) {
    const std::lock_guard lock(g_mutex);
    const auto it = g_keys.find(folded(subKey));
    if (it == g_keys.end()) {
        key = nullptr;
        return kRegFileNotFound;
    }
    key = it->second.get();
    return kRegSuccess;
}

long registryGetString(RegistryHandle handle, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes) {
    const auto key = keyOf(handle);
    if (!key) return kRegInvalidParameter;
    const std::lock_guard lock(g_mutex);
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

long registryClose(RegistryHandle handle) { return keyOf(handle) ? kRegSuccess : kRegInvalidParameter; }

namespace fake_registry {
void addKey(const std::u16string& subKey) {
    const std::lock_guard lock(g_mutex);
    auto& key = g_keys[folded(subKey)];
    if (!key) key = std::make_shared<FakeKey>();
}

void setString(const std::u16string& subKey, const std::u16string& valueName, const std::u16string& value) {
    addKey(subKey);
    const std::lock_guard lock(g_mutex);
    g_keys[folded(subKey)]->values[folded(valueName)] = value;
}

void clear() {
    const std::lock_guard lock(g_mutex);
    g_keys.clear();
}

void growBeforeNextReads(const std::u16string& subKey, const std::u16string& valueName, int n) {
    addKey(subKey);
    const std::lock_guard lock(g_mutex);
    g_keys[folded(subKey)]->shortReads[folded(valueName)] = n;
}
}  // namespace fake_registry

}  // namespace platform
