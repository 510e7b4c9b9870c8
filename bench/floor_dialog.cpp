// The floors for the benchmark: a bare Win32 program that opens one dialog from a resource template
// and nothing else. Built three times: with an empty template (FLOOR_TEMPLATE 1), with the
// launcher's own (102), which tells the template's share of the start-up from the launcher's code,
// and with the launcher's template and FLOOR_PLAY, whose "Play Zerbs 3D" does what Play must do at
// the least: save the settings file as the launcher saves it, then start the game as it does.

#include <windows.h>

#ifdef FLOOR_PLAY
#include "launch/GameProfile.h"
#include "launch/settings.h"
#endif

namespace {

#ifdef FLOOR_PLAY
LaunchSettings g_settings;
#endif

INT_PTR CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
#ifdef FLOOR_PLAY
    if (message == WM_INITDIALOG) {
        LoadSettings(g_settings);
    }
    if (message == WM_COMMAND && LOWORD(wParam) == 1000) {
        SaveSettings(g_settings);
        LaunchGame(g_zerbs3DProfile, g_settings);
        ::EndDialog(window, IDOK);
        return TRUE;
    }
#endif
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(window, IDCANCEL);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(FLOOR_TEMPLATE), nullptr, &FloorProc, 0));
}
