// The Windows registry under HKEY_LOCAL_MACHINE, read only. Results are
// Windows status codes (LSTATUS). The POSIX build has an in-memory registry
// that tests fill; it is empty by default (no simulator installed).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr long kRegSuccess = 0;             // ERROR_SUCCESS
inline constexpr long kRegFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr long kRegInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
inline constexpr long kRegMoreData = 234;          // ERROR_MORE_DATA
inline constexpr long kRegUnsupportedType = 1630;  // ERROR_UNSUPPORTED_TYPE
inline constexpr std::uint32_t kKeyRead = 0x20019;  // KEY_READ

using RegistryHandle = void*;

// RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, access | KEY_WOW64_64KEY, &key).
long registryOpenLocalMachine(const std::u16string& subKey, std::uint32_t access, RegistryHandle& key);
// RegGetValueW(key, nullptr, valueName, RRF_RT_REG_SZ, nullptr, buffer, &bytes):
// with a null buffer it reports the size in bytes (terminator included); a
// buffer too small gives kRegMoreData and the size needed.
long registryGetString(RegistryHandle key, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes);
long registryClose(RegistryHandle key);

// The in-memory registry of the POSIX build (no effect on Windows).
namespace fake_registry {
void setString(const std::u16string& subKey, const std::u16string& valueName, const std::u16string& value);
// A key that exists without values.
void addKey(const std::u16string& subKey);
void clear();
// The next n size queries of the value report a size one character short of
// the real value, as if the value grew between the size query and the read.
void growBeforeNextReads(const std::u16string& subKey, const std::u16string& valueName, int n);
// How often registryClose was called since the last clear() (0 on Windows).
int closeCalls();
}  // namespace fake_registry

}  // namespace platform
