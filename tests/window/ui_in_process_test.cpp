// The launcher dialog and the framework run inside this test program, for what cannot be seen
// from another process: the minimized window's drawing, the system menu (menus belong to their
// process under Wine), the About box, and the framework's own rules.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LauncherProcess.h"
#include "ui/LauncherDialog.h"
#include "ui/resources/resource.h"

namespace {

CWinApp g_testApplication("ui tests");

// Waits until this process's window with the caption is shown; null after ten seconds. A modal
// box exists a moment before it is shown, and a click that reaches it then is lost.
HWND WaitForOwnWindow(const char* caption) {
    HWND window = nullptr;
    PollUntil(10000, [&] {
        return (window = FindProcessWindow(::GetCurrentProcessId(), caption, true)) != nullptr;
    });
    return window;
}

// Runs the dialog modally on this thread while driver works on it from another; the dialog is
// closed afterwards even when the driver gave up, so the test never hangs on it.
void RunDialogWith(CDialog& dialog, const char* caption, const std::function<void(HWND)>& driver) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        // Shown means initialised: the dialog manager shows the window once OnInitDialog returns.
        const HWND window = WaitForOwnWindow(caption);
        if (window) {
            driver(window);
        } else {
            ADD_FAILURE() << "the dialog did not appear";
        }
        done = true;
        if (window) {
            // Boxes the driver left open go first, or the dialog could not end.
            ::EnumThreadWindows(
                ::GetWindowThreadProcessId(window, nullptr),
                [](HWND other, LPARAM main) CALLBACK -> BOOL {
                    if (other != reinterpret_cast<HWND>(main) && ::IsWindowVisible(other)) {
                        ::PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(window));
            ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const INT_PTR result = dialog.DoModal();
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_NE(result, -1) << "the dialog could not be created: is there a display?";
}

// The icon's opaque pixels as the window system draws them on a device context of our own.
struct IconPixels {
    int width;
    int height;
    std::vector<COLORREF> colour;
    std::vector<bool> opaque;
};

IconPixels DrawReference(HICON icon) {
    IconPixels pixels{::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), {}, {}};
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, pixels.width, pixels.height);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    for (COLORREF background : {RGB(0, 0, 0), RGB(255, 255, 255)}) {
        RECT all = {0, 0, pixels.width, pixels.height};
        const HBRUSH brush = ::CreateSolidBrush(background);
        ::FillRect(memory, &all, brush);
        ::DeleteObject(brush);
        ::DrawIcon(memory, 0, 0, icon);
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) {
                const COLORREF c = ::GetPixel(memory, x, y);
                if (background == RGB(0, 0, 0)) {
                    pixels.colour.push_back(c);
                } else {
                    // Opaque where the colour does not depend on the background.
                    pixels.opaque.push_back(c == pixels.colour[y * pixels.width + x]);
                }
            }
        }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// How many of the icon's opaque pixels that fall inside a bitmap of this size dc does not show
// at offset (left, top); -1 when none falls inside.
int MissingPixels(HDC dc, const IconPixels& icon, int left, int top, SIZE size) {
    int inside = 0, missing = 0;
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * icon.width + x);
            if (icon.opaque[i] && left + x >= 0 && left + x < size.cx && top + y >= 0 &&
                top + y < size.cy) {
                ++inside;
                missing += ::GetPixel(dc, left + x, top + y) != icon.colour[i];
            }
        }
    }
    return inside == 0 ? -1 : missing;
}

// A working directory of its own holding a settings file.
class SettingsInScratchFolder : public ScratchWorkingDirectory {
public:
    explicit SettingsInScratchFolder(const std::string& settings = ExampleSettings()) {
        WriteFileBytes(Folder() / "ztlvlauncher.ini", settings);
    }
};

// The launcher's drawing, reachable from the test.
class PaintProbe : public CLauncherDialog {
public:
    using CLauncherDialog::DrawIconCentred;
};

// The icon's background erases OnPaint asks for, seen on their way to the dialog.
WNDPROC g_dialogProc = nullptr;
std::atomic<int> g_iconErases{0};
LRESULT CALLBACK CountIconErases(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_iconErases += message == WM_ICONERASEBKGND && wParam != 0;
    return ::CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

// Wine draws a minimized window as a bare title bar with no client area and never asks it to paint
// its client area: OnPaint is sent WM_PAINT itself, and its drawing is checked on a device context
// of the test's own.
TEST(LauncherPaint, MinimizedWindowPaintsAndDragsItsIcon) {
    SettingsInScratchFolder directory;
    PaintProbe dialog;
    // Icon group 144, the one the program file shows: the window must show it too. Group 145
    // draws alike but for its missing 16-colour image, so the two are told apart by handle.
    const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144));
    ASSERT_NE(icon, nullptr);
    const IconPixels reference = DrawReference(icon);

    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [&](HWND window) {
        RECT frame;
        ::GetWindowRect(window, &frame);
        // At its own size and one pixel larger each way, so that one of the two halves is odd.
        for (const int grow : {0, 1}) {
            SCOPED_TRACE("grown by " + std::to_string(grow));
            ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + grow,
                           frame.bottom - frame.top + grow, SWP_NOMOVE | SWP_NOZORDER);
            RECT client;
            ::GetClientRect(window, &client);
            const SIZE size = {client.right, client.bottom};
            const HDC screen = ::GetDC(window);
            const HDC memory = ::CreateCompatibleDC(screen);
            const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
            const HGDIOBJ old = ::SelectObject(memory, bitmap);
            const HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
            ::FillRect(memory, &client, magenta);
            ::DeleteObject(magenta);

            dialog.DrawIconCentred(memory);

            const int left = (client.right - reference.width + 1) / 2;
            const int top = (client.bottom - reference.height + 1) / 2;
            EXPECT_EQ(MissingPixels(memory, reference, left, top, size), 0);
            EXPECT_GT(MissingPixels(memory, reference, left + 1, top, size), 0) << "off by one";
            EXPECT_GT(MissingPixels(memory, reference, left, top - 1, size), 0) << "off by one";
            ::SelectObject(memory, old);
            ::DeleteObject(bitmap);
            ::DeleteDC(memory);
            ::ReleaseDC(window, screen);
        }

        // Only the minimized window paints the icon; otherwise the dialog paints as usual.
        g_dialogProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountIconErases)));
        g_iconErases = 0;
        ::SendMessageA(window, WM_PAINT, 0, 0);
        EXPECT_EQ(g_iconErases, 0);
        ::ShowWindow(window, SW_MINIMIZE);
        ASSERT_TRUE(::IsIconic(window));
        g_iconErases = 0;
        ::SendMessageA(window, WM_PAINT, 0, 0);
        EXPECT_GE(g_iconErases, 1);
        // Dragged, it shows the window's icon.
        const LRESULT dragged = ::SendMessageA(window, WM_QUERYDRAGICON, 0, 0);
        EXPECT_EQ(dragged, reinterpret_cast<LRESULT>(icon)) << "icon group 144 itself";
        EXPECT_EQ(dragged, ::SendMessageA(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(dragged, ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        ::ShowWindow(window, SW_RESTORE);
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    });
}

// The icon a message box shows, read from its live window (the icon's id is 20 on Windows, 1088
// under Wine), then dismisses it; null for none. The box must be modal over the launcher.
HICON ShownIcon(HWND box) {
    EXPECT_NE(box, nullptr) << "no message box appeared";
    const HWND owner = ::GetWindow(box, GW_OWNER);
    EXPECT_EQ(owner, FindProcessWindow(::GetCurrentProcessId(), "ZTLV/Z3D Launcher", false));
    EXPECT_TRUE(owner && !::IsWindowEnabled(owner)) << "modal over the launcher";
    const HWND control = ::GetDlgItem(box, 1088) ? ::GetDlgItem(box, 1088) : ::GetDlgItem(box, 20);
    const LRESULT icon =
        control && ::IsWindowVisible(control) ? ::SendMessageA(control, STM_GETICON, 0, 0) : 0;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    return reinterpret_cast<HICON>(icon);
}

// The launcher's own message shows no icon; the framework's message for a bad number shows its
// exclamation icon.
TEST(MessageBoxes, ShowTheirOwnIcons) {
    HICON missingFile = nullptr, badNumber = nullptr;
    {
        ScratchWorkingDirectory empty;
        CLauncherDialog dialog;
        std::thread reader([&] { missingFile = ShownIcon(WaitForOwnWindow("Launcher")); });
        RunDialogWith(dialog, "ZTLV/Z3D Launcher", [](HWND) {});
        reader.join();
    }
    SettingsInScratchFolder directory;
    CLauncherDialog dialog;
    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [&](HWND window) {
        ::SetDlgItemTextA(window, IDC_HEIGHT, "abc");
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_WIDTH, EN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_WIDTH)));
        badNumber = ShownIcon(WaitForOwnWindow("ui tests"));
    });
    EXPECT_EQ(missingFile, nullptr);
    EXPECT_EQ(badNumber, ::LoadIconA(nullptr, IDI_EXCLAMATION));
}

bool WaitUntilClosed(HWND window) {
    return PollUntil(5000, [window] { return !::IsWindow(window); });
}

TEST(SystemMenu, EndsWithASeparatorAndTheAboutEntry) {
    SettingsInScratchFolder directory;
    CLauncherDialog dialog;
    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [](HWND window) {
        const HMENU menu = ::GetSystemMenu(window, FALSE);
        ASSERT_NE(menu, nullptr);
        const int count = ::GetMenuItemCount(menu);
        ASSERT_GE(count, 4);
        // The standard entries come first, untouched.
        EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), ~0u);
        EXPECT_NE(::GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), ~0u);

        MENUITEMINFOA separator = {};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        ASSERT_TRUE(::GetMenuItemInfoA(menu, count - 2, TRUE, &separator));
        EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

        char text[64] = "";
        ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About ZTLV Launcher...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 1), UINT{IDM_ABOUT});
        EXPECT_EQ(::GetMenuState(menu, IDM_ABOUT, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u);
    });
}

// True while the thread runs the system's loop that moves or sizes a window.
bool InMoveOrSize(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE);
}

// The launcher as the application runs it: its main window.
class MainLauncherDialog : public CLauncherDialog {
public:
    MainLauncherDialog() { g_testApplication.m_pMainWnd = this; }
    ~MainLauncherDialog() override { g_testApplication.m_pMainWnd = nullptr; }
};

TEST(AboutBox, OpensForItsCommandAndClosesWithOKOrEscape) {
    SettingsInScratchFolder directory;
    MainLauncherDialog dialog;
    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [](HWND launcher) {
        // The low four bits belong to the system and are ignored.
        for (WPARAM command : {WPARAM{IDM_ABOUT}, WPARAM{IDM_ABOUT | 0x000F}}) {
            SCOPED_TRACE("command " + std::to_string(command));
            ::PostMessageA(launcher, WM_SYSCOMMAND, command, 0);
            const HWND about = WaitForOwnWindow("About ZTLV Launcher");
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(::GetWindow(about, GW_OWNER), launcher);
            EXPECT_FALSE(::IsWindowEnabled(launcher)) << "the About box is modal";
            if (command == IDM_ABOUT) {
                ::PostMessageA(::GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
            } else {
                ::PostMessageA(::GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            }
            EXPECT_TRUE(WaitUntilClosed(about));
            EXPECT_TRUE(::IsWindow(launcher));
            EXPECT_TRUE(PollUntil(1000, [launcher] { return ::IsWindowEnabled(launcher) != 0; }))
                << "back to the launcher";
        }

        // The system's own commands do their own work, never the About box's; 0x0020 is not the
        // About command either. Move, a title-bar drag's Move and Size wait in their loop until
        // Escape (Wine offers Size even to a window of fixed size).
        const DWORD thread = ::GetWindowThreadProcessId(launcher, nullptr);
        for (const int command :
             {SC_MOVE, SC_MOVE | HTCAPTION, SC_SIZE, SC_MINIMIZE, SC_RESTORE, 0x0020}) {
            SCOPED_TRACE("command " + std::to_string(command));
            ::PostMessageA(launcher, WM_SYSCOMMAND, command, 0);
            const bool loop = PollUntil(1000, [thread] { return InMoveOrSize(thread); });
            EXPECT_EQ(loop,
                      command == SC_MOVE || command == (SC_MOVE | HTCAPTION) || command == SC_SIZE);
            if (loop) {
                ::PostMessageA(launcher, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                EXPECT_TRUE(PollUntil(1000, [thread] { return !InMoveOrSize(thread); }));
            }
            EXPECT_EQ(::IsIconic(launcher) != 0, command == SC_MINIMIZE);
            EXPECT_EQ(FindProcessWindow(::GetCurrentProcessId(), "About ZTLV Launcher", false),
                      nullptr);
        }
    });
}

TEST(AboutBox, OpeningItFromTheWidthBoxRunsTheWidthRule) {
    SettingsInScratchFolder directory;
    MainLauncherDialog dialog;
    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [](HWND launcher) {
        ::SetDlgItemTextA(launcher, IDC_WIDTH, "800");
        EXPECT_EQ(WindowText(::GetDlgItem(launcher, IDC_HEIGHT)), "768");
        ::PostMessageA(launcher, WM_SYSCOMMAND, IDM_ABOUT, 0);
        const HWND about = WaitForOwnWindow("About ZTLV Launcher");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(WindowText(::GetDlgItem(launcher, IDC_HEIGHT)), "600");
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        WaitUntilClosed(about);
    });
}

} // namespace
