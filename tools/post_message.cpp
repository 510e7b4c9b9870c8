// Posts one window message to a top-level window found by its caption, as a person's click or key
// would reach it; used to drive the launcher for screenshots.
// Usage: post_message CAPTION MESSAGE WPARAM   (numbers in decimal or 0x hexadecimal)

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: post_message CAPTION MESSAGE WPARAM\n");
        return 2;
    }
    const UINT message = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
    const WPARAM wParam = static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0));
    for (int attempt = 0; attempt < 250; ++attempt) {
        if (const HWND window = ::FindWindowA(nullptr, argv[1])) {
            return ::PostMessageA(window, message, wParam, 0) ? 0 : 1;
        }
        ::Sleep(20);
    }
    std::fprintf(stderr, "post_message: no window \"%s\"\n", argv[1]);
    return 1;
}
