// window_check: takes a picture of the program's main window (which runs on
// the same desktop), saves it as a PNG and checks its regions against the
// expected layout.
//
//   window_check --png FILE [--expect start|traffic] [--wait SECONDS]
//
// Prints one line per failed check and "live-counter <hash>" (the hash of
// the "live:" counter's pixels, so pictures taken one after the other tell
// whether the counter changed). Exit code 0 when every check passed, 1 when
// one failed, 2 when there was no window or no picture.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tools/window_check/capture_win32.h"

using namespace window_check;

int main(int argc, char** argv) {
    std::string png, expect;
    int waitSeconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--png") == 0) png = argv[i + 1];
        else if (std::strcmp(argv[i], "--expect") == 0) expect = argv[i + 1];
        else if (std::strcmp(argv[i], "--wait") == 0) waitSeconds = std::atoi(argv[i + 1]);
    }
    if (png.empty() || (!expect.empty() && expect != "start" && expect != "traffic")) {
        std::fprintf(stderr, "usage: window_check --png FILE [--expect start|traffic] [--wait SECONDS]\n");
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < waitSeconds * 10 && window == nullptr; ++tries) {
        window = findWindowOfClass(L"Velantra_P3D");
        if (window == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (window == nullptr) {
        std::printf("no main window\n");
        return 2;
    }
    const auto image = captureClientArea(window);
    if (!image) {
        std::printf("no picture of the main window\n");
        return 2;
    }
    if (!writePng(png, *image)) std::printf("could not write %s\n", png.c_str());
    std::printf("live-counter %016llx\n", static_cast<unsigned long long>(regionHash(*image, kLiveCounter)));
    if (expect.empty()) return 0;
    const auto failed = failedChecks(*image, expect == "start" ? startWithoutDocsChecks() : runningWithTrafficChecks());
    for (const std::string& line : failed) std::printf("FAIL %s\n", line.c_str());
    if (failed.empty()) std::printf("ok: the window shows the expected layout (%s)\n", expect.c_str());
    return failed.empty() ? 0 : 1;
}
