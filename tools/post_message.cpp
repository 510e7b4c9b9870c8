// Posts one window message to a top-level window found by its caption, or to one of its controls,
// as a person's click or key would reach it; drives the launcher for the screenshots and the demo.
// Usage: post_message CAPTION MESSAGE WPARAM [CONTROL_ID]   (numbers in decimal or 0x hexadecimal)

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: post_message CAPTION MESSAGE WPARAM [CONTROL_ID]\n");
        return 2;
    }
    const UINT message = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
    const WPARAM wParam = static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0));
    for (int attempt = 0; attempt < 250; ++attempt) {
        if (HWND window = ::FindWindowA(nullptr, argv[1])) {
            if (argc == 5) {
                window = ::GetDlgItem(window, static_cast<int>(std::strtol(argv[4], nullptr, 0)));
            }
            return window && ::PostMessageA(window, message, wParam, 0) ? 0 : 1;
        }
        ::Sleep(20);
    }
    std::fprintf(stderr, "post_message: no window \"%s\"\n", argv[1]);
    return 1;
}
