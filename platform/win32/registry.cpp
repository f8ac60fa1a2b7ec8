#include "platform/registry.h"

#include <windows.h>

namespace platform {

long registryOpenLocalMachine(const std::u16string& subKey, std::uint32_t access, RegistryHandle& key) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(subKey.c_str()), 0,
                                         access | KEY_WOW64_64KEY, &opened);
    key = status == ERROR_SUCCESS ? opened : nullptr;
    return status;
}

long registryGetString(RegistryHandle key, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes) {
    DWORD size = bytes;
    const LSTATUS status = RegGetValueW(static_cast<HKEY>(key), nullptr,
                                        reinterpret_cast<const wchar_t*>(valueName.c_str()), RRF_RT_REG_SZ, nullptr,
                                        buffer, &size);
    bytes = size;
    return status;
}

long registryClose(RegistryHandle key) { return RegCloseKey(static_cast<HKEY>(key)); }

// The registry is real on Windows; tests fill it with `reg add`.
namespace fake_registry {
void setString(const std::u16string&, const std::u16string&, const std::u16string&) {}
void addKey(const std::u16string&) {}
void clear() {}
void growBeforeNextReads(const std::u16string&, const std::u16string&, int) {}
int closeCalls() { return 0; }
}  // namespace fake_registry

}  // namespace platform
