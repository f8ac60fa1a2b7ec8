#include "platform/single_instance.h"

#include <windows.h>

#include "foundation/text_convert.h"

namespace platform {

bool claimSingleInstance(const std::string& mutexName) {
    const std::u16string wide = utf8_to_wide(mutexName);
    // The handle is never closed: the mutex lives as long as the process.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(wide.c_str()));
    return !(mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

}  // namespace platform
