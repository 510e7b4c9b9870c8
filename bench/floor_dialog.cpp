// The floor for the start-up benchmark: a bare Win32 program that opens one empty dialog from a
// resource template and nothing else.

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(::DialogBoxParamA(
        instance, MAKEINTRESOURCEA(1), nullptr,
        [](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
            if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(window, IDCANCEL);
                return TRUE;
            }
            return message == WM_INITDIALOG;
        },
        0));
}
