#include "app/win32/app_main.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/entry.h"
#include "app/start_up.h"
#include "app/win32/main_window_win32.h"
#include "foundation/log.h"
#include "platform/text_codec.h"

namespace {
constexpr UINT kTitleResource = 101;
constexpr int kTitleCapacity = 100;

// The arguments after the program's own name, as UTF-8.
std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return arguments;
    for (int i = 1; i < count; ++i) {
        const std::u16string_view argument(reinterpret_cast<const char16_t*>(argv[i]));
        arguments.push_back(platform::utf16ToUtf8(argument, false).value_or(std::string()));
    }
    LocalFree(argv);
    return arguments;
}

int runMessageLoop() {
    MSG message{};
    BOOL result = 0;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (result == -1) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
}  // namespace

int lf_appMain(HINSTANCE instance) {
    const std::vector<std::string> arguments = commandLineArguments();
    wchar_t title[kTitleCapacity] = {};
    if (LoadStringW(instance, kTitleResource, title, kTitleCapacity) == 0) {
        gf_log("Failed to load application title");
        return 0;
    }
    if (!lf_registerMainWindowClass(instance, title)) {
        gf_log("Failed to register window class");
        return 0;
    }
    lf_prepareMainBody(arguments);
    lf_installWindowSeams();
    if (!initInstance(instance, title)) {
        gf_logMarked("initInstance failed");
        lf_removeWindowSeams();
        return 0;
    }
    lf_startMainBody();
    const int exitCode = runMessageLoop();
    lf_joinStartUpThread();
    lf_removeWindowSeams();
    return exitCode;
}
