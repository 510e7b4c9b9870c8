// The launcher window as the running program shows it, and the resources in its program file.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "LauncherProcess.h"
#include "ui/resources/resource.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    DWORD style;       // WS_CHILD | WS_VISIBLE and the control's own bits
    DWORD exStyle;     // the bits that matter of the extended style
    const char* text;  // null: not checked
    RECT units;        // x, y, right, bottom in dialog units
    SIZE picture = {}; // a bitmap's size in pixels, which the picture takes instead of the units'
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;

RECT Units(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}

const std::vector<ExpectedControl>& Template() {
    static const std::vector<ExpectedControl> controls = {
        {IDC_WIDTH, "Edit", kEdit, 0, "", Units(45, 118, 31, 14)},
        {IDC_HEIGHT, "Edit", kEdit, 0, "", Units(87, 118, 31, 14)},
        {IDC_REFRESH_RATE, "Edit", kEdit, 0, "", Units(126, 118, 31, 14)},
        {IDC_RUN_IN_WINDOW, "Button", kCheck, 0, "Run in window", Units(7, 134, 63, 10)},
        {IDC_NO_MOVIES, "Button", kCheck, 0, "Disble movies", Units(94, 134, 59, 10)},
        {IDC_NO_MUSIC, "Button", kCheck, 0, "Disable music", Units(7, 147, 59, 10)},
        {IDC_NO_SOUNDS, "Button", kCheck, 0, "Disble sounds", Units(94, 147, 60, 10)},
        {IDC_INVERT_FIRST_PERSON, "Button", kCheck, 0, "First person mouse", Units(7, 172, 75, 10)},
        {IDC_INVERT_THIRD_PERSON, "Button", kCheck, 0, "Third person mouse",
         Units(95, 172, 78, 10)},
        {IDC_INVERT_ZERBS, "Button", kCheck, 0, "The zerbs", Units(7, 185, 51, 10)},
        {IDC_ADVANCED_SWITCHES, "Edit", kEdit, 0, "", Units(7, 211, 166, 14)},
        {IDC_PLAY_ZERBS3D, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, "Play Zerbs 3D",
         Units(7, 230, 79, 23)},
        {IDC_PLAY_TOLVANE, "Button", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_MULTILINE, 0,
         "Play Zerbs Tolvane", Units(94, 230, 79, 23)},
        {IDC_STATIC, "Static", kLabel, 0, "Advanced Switches:", Units(7, 203, 66, 8)},
        {IDC_STATIC, "Static", kLabel, 0, "Resolution:", Units(7, 121, 36, 8)},
        {IDC_STATIC, "Static", kLabel, 0, "\xD7", Units(79, 121, 8, 8)},
        {IDC_STATIC, "Static", kLabel, 0, "Hz", Units(161, 121, 15, 8)},
        {IDC_STATIC, "Static", kLabel, 0, "@", Units(118, 121, 8, 8)},
        {IDC_STATIC,
         "Static",
         kChild | SS_BITMAP,
         WS_EX_CLIENTEDGE,
         "",
         Units(7, 7, 167, 108),
         {245, 171}},
        {IDC_STATIC, "Static", kLabel, 0, "Invert things (Zerbs 3D only):", Units(7, 163, 96, 8)},
    };
    return controls;
}

// Converts dialog units to pixels the way the launcher's own template does, through a copy of
// that template opened from the program file in this process.
class DialogUnits {
public:
    DialogUnits() {
        m_module = ::LoadLibraryExA(WindowsPath(ZTLV_LAUNCHER_EXE).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
        m_dialog = ::CreateDialogParamA(
            m_module, MAKEINTRESOURCEA(102), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) CALLBACK -> INT_PTR { return FALSE; }, 0);
    }
    ~DialogUnits() {
        ::DestroyWindow(m_dialog);
        ::FreeLibrary(m_module);
    }
    bool Ready() const { return m_dialog != nullptr; }
    RECT ToPixels(RECT units) const {
        ::MapDialogRect(m_dialog, &units);
        return units;
    }

private:
    HMODULE m_module;
    HWND m_dialog;
};

std::string ClassOf(HWND window) {
    char name[64] = "";
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The dialog's controls stand in the template's order with its ids, styles, texts and places.
void ExpectControls(HWND dialog, const std::vector<ExpectedControl>& controls,
                    const DialogUnits& units) {
    HWND control = ::GetWindow(dialog, GW_CHILD);
    for (const ExpectedControl& expected : controls) {
        SCOPED_TRACE("control " + std::to_string(expected.id) + " \"" +
                     (expected.text ? expected.text : "") + "\"");
        ASSERT_NE(control, nullptr) << "fewer controls than the template has";
        EXPECT_EQ(::GetDlgCtrlID(control), expected.id);
        EXPECT_EQ(ClassOf(control), expected.className);
        DWORD style = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(control, GWL_EXSTYLE));
        // An edit box draws its border as a sunken client edge.
        if (expected.style & WS_BORDER && exStyle & WS_EX_CLIENTEDGE) {
            style |= WS_BORDER;
        }
        // Button and static kinds are values, not flags: compare the whole low word.
        EXPECT_EQ(style & 0xFFFF0000u, expected.style & 0xFFFF0000u);
        EXPECT_EQ(style & 0x0000FFFFu, expected.style & 0x0000FFFFu);
        if (expected.exStyle) {
            EXPECT_TRUE(exStyle & expected.exStyle);
        }
        // Check box kinds share bits with SS_BITMAP: a picture is told by its size.
        const bool picture = expected.picture.cx != 0;
        if (expected.text && std::string(expected.className) != "Edit" && !picture) {
            EXPECT_EQ(WindowText(control), expected.text);
        }
        // The dialog manager converts position and size separately.
        const RECT place = ClientRectOf(control, dialog);
        const RECT& u = expected.units;
        const RECT corner = units.ToPixels({u.left, u.top, u.left, u.top});
        const RECT size = units.ToPixels({0, 0, u.right - u.left, u.bottom - u.top});
        EXPECT_EQ(place.left, corner.left);
        EXPECT_EQ(place.top, corner.top);
        EXPECT_EQ(place.right - place.left, picture ? expected.picture.cx : size.right);
        EXPECT_EQ(place.bottom - place.top, picture ? expected.picture.cy : size.bottom);
        if (picture) {
            EXPECT_NE(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "more controls than the template has";
}

// The window has the wanted styles and none of the unwanted, and a client area of the template's
// size in dialog units.
void ExpectFrame(HWND window, DWORD wanted, DWORD unwanted, RECT size, const DialogUnits& units) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & unwanted, 0u);
    RECT client;
    ::GetClientRect(window, &client);
    size = units.ToPixels(size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

// The window is centred over the other, or without one on the work area, to the pixel that
// halving drops.
void ExpectCentredOver(HWND window, HWND other) {
    RECT own, around;
    ::GetWindowRect(window, &own);
    if (!other || !::GetWindowRect(other, &around)) {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    }
    EXPECT_NEAR(own.left + own.right, around.left + around.right, 1);
    EXPECT_NEAR(own.top + own.bottom, around.top + around.bottom, 1);
}

class LauncherTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(m_folder / "ztlvlauncher.ini", "a\nb\n1\n2\n3\n");
        m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
        ASSERT_TRUE(m_units.Ready()) << "no display: the dialog could not be created";
        m_dialog = m_launcher->Dialog();
    }
    ScratchFolder m_folder;
    std::unique_ptr<LauncherProcess> m_launcher;
    DialogUnits m_units;
    HWND m_dialog = nullptr;
};

TEST_F(LauncherTemplate, DialogHasItsCaptionSizeAndStyles) {
    EXPECT_EQ(WindowText(m_dialog), "ZTLV/Z3D Launcher");
    EXPECT_EQ(ClassOf(m_dialog), "#32770");
    ExpectFrame(m_dialog,
                WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
                WS_MAXIMIZEBOX | WS_THICKFRAME | DS_CENTER, Units(0, 0, 180, 260), m_units);
    EXPECT_TRUE(::GetWindowLongA(m_dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    ExpectCentredOver(m_dialog, nullptr);
}

TEST_F(LauncherTemplate, ControlsStandInTemplateOrderWithTheirIdsStylesTextsAndPlaces) {
    ExpectControls(m_dialog, Template(), m_units);
}

// The About box, opened from the launcher's system menu, from its own classic template and centred
// over the launcher; its unnamed controls read back with the 16-bit id 0xFFFF.
TEST_F(LauncherTemplate, AboutBoxMatchesItsTemplate) {
    // Moved off the work area's centre, so that a box centred there is told apart.
    ::SetWindowPos(m_dialog, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::PostMessageA(m_dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    const HWND about = m_launcher->WaitForWindow("About ZTLV Launcher");
    ASSERT_NE(about, nullptr);
    ExpectCentredOver(about, m_dialog);
    ExpectFrame(about, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, Units(0, 0, 186, 242), m_units);
    EXPECT_EQ(LOWORD(::SendMessageA(about, DM_GETDEFID, 0, 0)), IDOK);
    ExpectControls(
        about,
        {{0xFFFF, "Static", kChild | SS_BITMAP, 0, "", Units(7, 7, 172, 159), {256, 256}},
         {0xFFFF, "Static", kLabel | WS_DISABLED, 0, nullptr, Units(7, 170, 172, 42)},
         {IDOK, "Button", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, "OK",
          Units(147, 215, 32, 14)},
         {0xFFFF, "Static", kLabel, 0, nullptr, Units(7, 212, 123, 17)}},
        m_units);
    // The credits name the version that the program file's version block gives.
    const std::string program = WindowsPath(ZTLV_LAUNCHER_EXE);
    std::vector<char> block(::GetFileVersionInfoSizeA(program.c_str(), nullptr));
    char* version = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        ::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) &&
        ::VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                         reinterpret_cast<void**>(&version), &length));
    const std::string credits = WindowText(::GetWindow(::GetWindow(about, GW_CHILD), GW_HWNDNEXT));
    EXPECT_EQ(credits.find(std::string("ZTLV Launcher ") + version + " "), 0u) << credits;
    const std::string addresses = WindowText(::GetWindow(::GetDlgItem(about, IDOK), GW_HWNDNEXT));
    EXPECT_NE(addresses.find("https://"), std::string::npos);
    EXPECT_NE(addresses.find('\n'), std::string::npos) << "one address per line";
}

// Tab visits the controls that stop it in template order, from the width box, and wraps round.
TEST_F(LauncherTemplate, TabOrderFollowsTheTemplate) {
    std::vector<int> order;
    for (const ExpectedControl& control : Template()) {
        if (control.style & WS_TABSTOP) {
            order.push_back(control.id);
        }
    }
    ASSERT_EQ(order.size(), 13u);
    order.push_back(order.front());
    EXPECT_EQ(m_launcher->FocusedId(), order.front());
    for (std::size_t i = 1; i < order.size(); ++i) {
        ::SendMessageA(m_dialog, WM_NEXTDLGCTL, 0, FALSE);
        EXPECT_EQ(m_launcher->FocusedId(), order[i]) << "after " << i << " tabs";
    }
}

} // namespace
