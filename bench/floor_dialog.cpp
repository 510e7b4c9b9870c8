// The floors for the benchmark: a bare Win32 program that opens one dialog from a resource template
// and nothing else. Built three times: with an empty template (FLOOR_TEMPLATE 1), with the
// launcher's own (IDD_LAUNCHER_DIALOG) and its icon on the caption and taskbar (FLOOR_ICON), which
// tells what a window showing what the launcher shows costs from the launcher's code, and with the
// launcher's template, its icon and FLOOR_PLAY, whose "Play Zerbs 3D" does what Play must do at
// the least: save the settings file as the launcher saves it, then start the game as it does.
// Each marks its entry and its first paint for the start-up clock, as the launcher does.

#include <windows.h>

#include "platform/framework/StartupClock.h"

#ifdef FLOOR_ICON
#include "ui/resources/resource.h"
#endif
#ifdef FLOOR_PLAY
#include "launch/GameProfile.h"
#include "launch/settings.h"
#endif

namespace {

WNDPROC g_dialogManagerProc = nullptr;

// Passes every message on to the dialog manager and marks the end of the first paint, as the
// launcher's framework does in its own window procedure.
LRESULT CALLBACK PaintMarkingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallWindowProcA(g_dialogManagerProc, window, message, wParam, lParam);
    if (message == WM_PAINT) {
        StartupClock::MarkPainted(window);
    }
    return result;
}

#ifdef FLOOR_ICON
HICON g_icon = nullptr;
#endif
#ifdef FLOOR_PLAY
LaunchSettings g_settings;
#endif

INT_PTR CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        g_dialogManagerProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintMarkingProc)));
    }
#ifdef FLOOR_ICON
    if (message == WM_INITDIALOG) {
        ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_icon));
        ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_icon));
    }
#endif
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
    StartupClock::MarkEntry();
#ifdef FLOOR_ICON
    g_icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
#endif
    return static_cast<int>(
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(FLOOR_TEMPLATE), nullptr, &FloorProc, 0));
}
