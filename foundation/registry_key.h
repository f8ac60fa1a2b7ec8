// Reading the registry through a key object that always closes its handle.
// Every failure is a winreg::RegException carrying the Windows status code.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "platform/registry.h"

namespace winreg {

// A registry failure: the LSTATUS of the failed call and what was attempted.
class RegException : public std::system_error {
public:
    RegException(long status, const std::string& message);
    long status() const { return status_; }

private:
    long status_;
};

}  // namespace winreg

class RegistryKey {
public:
    RegistryKey() = default;
    // Takes over a handle (null, a predefined root key or an opened key).
    explicit RegistryKey(platform::RegistryHandle handle) : handle_(handle) {}
    ~RegistryKey() { close(); }
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens a key under HKEY_LOCAL_MACHINE (64-bit view), closing the one held
    // before. Throws RegException "RegOpenKeyExW failed.".
    void open(const std::u16string& subKey, std::uint32_t access = platform::kKeyRead);
    // The REG_SZ value, read again while it grows between the size query and
    // the read. Throws RegException.
    std::u16string getString(const std::u16string& valueName) const;
    // Closes the handle unless it is null or a predefined root key (which are
    // never closed); the handle is null afterwards.
    void close() noexcept;
    platform::RegistryHandle get() const { return handle_; }

private:
    platform::RegistryHandle handle_ = nullptr;
};

// True for the predefined root keys HKEY_CLASSES_ROOT ... HKEY_CURRENT_USER_LOCAL_SETTINGS.
bool lf_isPredefinedRegistryKey(platform::RegistryHandle handle);
