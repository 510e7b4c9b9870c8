// The launcher dialog and the framework run inside this test program, for what cannot be seen
// from outside: the painting of the minimized window and the framework's own rules.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LauncherProcess.h"
#include "ui/LauncherDialog.h"

namespace {

CWinApp g_testApplication("ui tests");

// Runs the dialog modally on this thread while driver works on it from another; the dialog is
// closed afterwards even when the driver gave up, so the test never hangs on it.
void RunDialogWith(CDialog& dialog, const char* caption, const std::function<void(HWND)>& driver) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        HWND window = nullptr;
        for (int i = 0; i < 500 && !window; ++i) {
            window = ::FindWindowA(nullptr, caption);
            ::Sleep(20);
        }
        if (window) {
            driver(window);
        } else {
            ADD_FAILURE() << "the dialog did not appear";
        }
        done = true;
        if (window) {
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

// How many opaque icon pixels dc shows at offset (left, top).
int MatchingPixels(HDC dc, const IconPixels& icon, int left, int top) {
    int matching = 0;
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * icon.width + x);
            if (icon.opaque[i] && ::GetPixel(dc, left + x, top + y) == icon.colour[i]) {
                ++matching;
            }
        }
    }
    return matching;
}

class ScratchWorkingDirectory {
public:
    explicit ScratchWorkingDirectory(const std::string& settings) {
        WriteWholeFile(m_folder / "ztlvlauncher.ini", settings);
        ::GetCurrentDirectoryA(MAX_PATH, m_previous);
        ::SetCurrentDirectoryA(m_folder.Path().c_str());
    }
    ~ScratchWorkingDirectory() { ::SetCurrentDirectoryA(m_previous); }

private:
    ScratchFolder m_folder;
    char m_previous[MAX_PATH] = "";
};

// The launcher's drawing, reachable from the test.
class PaintProbe : public CLauncherDialog {
public:
    using CLauncherDialog::DrawIconCentred;
};

// Wine draws a minimized window as a bare title bar with no client area and never asks it to paint
// its client area, so the minimized drawing is checked on a device context of the test's own.
TEST(LauncherPaint, MinimizedDrawingPutsTheIconInTheMiddleOfTheClientArea) {
    ScratchWorkingDirectory directory("a\nb\n1024\n768\n60\n");
    PaintProbe dialog;
    const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144));
    ASSERT_NE(icon, nullptr);
    const IconPixels reference = DrawReference(icon);
    int opaque = 0;
    for (bool o : reference.opaque) {
        opaque += o ? 1 : 0;
    }
    ASSERT_GT(opaque, reference.width * reference.height / 2);

    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [&](HWND window) {
        RECT client;
        ::GetClientRect(window, &client);
        const HDC screen = ::GetDC(window);
        const HDC memory = ::CreateCompatibleDC(screen);
        const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        const HGDIOBJ old = ::SelectObject(memory, bitmap);
        const HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
        ::FillRect(memory, &client, magenta);
        ::DeleteObject(magenta);

        dialog.DrawIconCentred(memory);

        const int left = (client.right - reference.width + 1) / 2;
        const int top = (client.bottom - reference.height + 1) / 2;
        EXPECT_EQ(MatchingPixels(memory, reference, left, top), opaque);
        EXPECT_LT(MatchingPixels(memory, reference, left + 1, top), opaque) << "off by one";
        EXPECT_LT(MatchingPixels(memory, reference, left, top - 1), opaque) << "off by one";
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(window, screen);
    });
}

TEST(LauncherPaint, DraggingTheMinimizedWindowShowsTheIcon) {
    ScratchWorkingDirectory directory("a\nb\n1024\n768\n60\n");
    CLauncherDialog dialog;
    RunDialogWith(dialog, "ZTLV/Z3D Launcher", [](HWND window) {
        const LRESULT icon = ::SendMessageA(window, WM_QUERYDRAGICON, 0, 0);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(icon, ::SendMessageA(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(icon, ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    });
}

TEST(IntegerBox, AcceptsBlanksAroundASignedNumberThatFits32Bits) {
    const struct {
        const char* text;
        int value;
    } good[] = {{"0", 0},           {"768", 768},           {"  -5 ", -5},
                {"+7", 7},          {"\t12\t", 12},         {"2147483647", 2147483647},
                {"-2147483648", -2147483647 - 1},           {"000123", 123}};
    for (const auto& c : good) {
        int value = 99;
        EXPECT_TRUE(ParseIntegerText(c.text, value)) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
    for (const char* bad : {"", " ", "-", "+", "tall", "12px", "1 2", "1.5", "- 5", "0x10",
                            "2147483648", "-2147483649", "99999999999999999999"}) {
        int value = 99;
        EXPECT_FALSE(ParseIntegerText(bad, value)) << '"' << bad << '"';
        EXPECT_EQ(value, 99) << "a bad value leaves the member alone";
    }
}

} // namespace
