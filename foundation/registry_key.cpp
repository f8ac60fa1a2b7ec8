#include "foundation/registry_key.h"

#include <array>
#include <utility>

namespace winreg {

RegException::RegException(long status, const std::string& message)
    : std::system_error(static_cast<int>(status), std::system_category(), message), status_(status) {}

}  // namespace winreg

namespace {
using winreg::RegException;

// HKEY_CLASSES_ROOT to HKEY_CURRENT_CONFIG, HKEY_DYN_DATA, HKEY_CURRENT_USER_LOCAL_SETTINGS,
// HKEY_PERFORMANCE_TEXT and HKEY_PERFORMANCE_NLSTEXT.
constexpr std::array<std::uint32_t, 9> kPredefinedKeys{0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000004,
                                                       0x80000005, 0x80000007, 0x80000050, 0x80000060};
}  // namespace

bool lf_isPredefinedRegistryKey(platform::RegistryHandle handle) {
    // Windows defines these handles as 32-bit values sign-extended to pointer size.
    const auto value = reinterpret_cast<std::intptr_t>(handle);
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uintptr_t>(value)));
    if (static_cast<std::intptr_t>(low) != value) return false;
    for (std::uint32_t key : kPredefinedKeys)
        if (static_cast<std::uint32_t>(low) == key) return true;
    return false;
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void RegistryKey::close() noexcept {
    if (handle_ != nullptr && !lf_isPredefinedRegistryKey(handle_)) platform::registryClose(handle_);
    handle_ = nullptr;
}

void RegistryKey::open(const std::u16string& subKey, std::uint32_t access) {
    close();
    platform::RegistryHandle opened = nullptr;
    const long status = platform::registryOpenLocalMachine(subKey, access, opened);
    if (status != platform::kRegSuccess) throw RegException(status, "RegOpenKeyExW failed.");
    handle_ = opened;
}

std::u16string RegistryKey::getString(const std::u16string& valueName) const {
    for (;;) {
        std::uint32_t bytes = 0;
        long status = platform::registryGetString(handle_, valueName, nullptr, bytes);
        if (status != platform::kRegSuccess)
            throw RegException(status, "Cannot get the size of the string value: RegGetValueW failed.");
        std::u16string text(bytes / sizeof(char16_t), u'\0');
        status = platform::registryGetString(handle_, valueName, text.data(), bytes);
        // The value grew between the two calls: ask for its size again.
        if (status == platform::kRegMoreData) continue;
        if (status != platform::kRegSuccess)
            throw RegException(status, "Cannot get the string value: RegGetValueW failed.");
        std::size_t length = bytes / sizeof(char16_t);
        if (length > 0 && text[length - 1] == u'\0') --length;
        text.resize(length);
        return text;
    }
}
