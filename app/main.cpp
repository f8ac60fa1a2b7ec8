// The program's entry: the Win32 window on Windows, the headless host elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "app/entry.h"
#include "app/win32/app_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return gf_runEntry([instance] { return lf_appMain(instance); });
}
#else
#include <string>
#include <vector>

#include "app/headless/headless_host.h"

int main(int argc, char** argv) { return lf_headlessMain(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
