// The floor for the start-up benchmark: a bare Win32 program that opens one dialog from a resource
// template and nothing else. Built twice: with an empty template (FLOOR_TEMPLATE 1) and with the
// launcher's own (102), which tells the template's share of the start-up from the launcher's code.

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(::DialogBoxParamA(
        instance, MAKEINTRESOURCEA(FLOOR_TEMPLATE), nullptr,
        [](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
            if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(window, IDCANCEL);
                return TRUE;
            }
            return message == WM_INITDIALOG;
        },
        0));
}
