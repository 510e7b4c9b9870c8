#include "ui/LauncherDialog.h"

#include <cstdint>
#include <cstdio>

#include "launch/GameProfile.h"
#include "ui/AboutDialog.h"
#include "ui/resources/resource.h"

// The system passes its own commands with the low four bits in use and from 0xF000 up.
static_assert((IDM_ABOUT & 0x000F) == 0, "system menu ids must keep their low four bits clear");
static_assert(IDM_ABOUT < 0xF000, "system menu ids must lie below the system's own commands");

BEGIN_MESSAGE_MAP(CLauncherDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_PLAY_ZERBS3D, &CLauncherDialog::OnPlayZerbs3D)
ON_BN_CLICKED(IDC_PLAY_TOLVANE, &CLauncherDialog::OnPlayZerbsTolvane)
ON_EN_KILLFOCUS(IDC_WIDTH, &CLauncherDialog::OnWidthKillFocus)
END_MESSAGE_MAP()

CLauncherDialog::CLauncherDialog(CWnd* parent) : CDialog(IDD_LAUNCHER_DIALOG, parent) {
    const LPCSTR icon = MAKEINTRESOURCEA(IDR_MAINFRAME);
    m_hIcon = ::LoadIconA(AfxFindResourceHandle(icon, RT_GROUP_ICON), icon);
}

// The order matters when an exchange stops at a bad number: later controls keep their values.
void CLauncherDialog::DoDataExchange(CDataExchange* exchange) {
    DDX_Text(exchange, IDC_ADVANCED_SWITCHES, m_settings.m_advancedSwitches);
    DDX_Check(exchange, IDC_INVERT_FIRST_PERSON, m_settings.m_invertFirstPerson);
    DDX_Text(exchange, IDC_HEIGHT, m_settings.m_height);
    DDX_Check(exchange, IDC_INVERT_ZERBS, m_settings.m_invertZerbs);
    DDX_Check(exchange, IDC_NO_MOVIES, m_settings.m_noMovies);
    DDX_Check(exchange, IDC_NO_MUSIC, m_settings.m_noMusic);
    DDX_Check(exchange, IDC_NO_SOUNDS, m_settings.m_noSounds);
    DDX_Text(exchange, IDC_REFRESH_RATE, m_settings.m_refreshRate);
    DDX_Check(exchange, IDC_INVERT_THIRD_PERSON, m_settings.m_invertThirdPerson);
    DDX_Text(exchange, IDC_WIDTH, m_settings.m_width);
    DDX_Check(exchange, IDC_RUN_IN_WINDOW, m_settings.m_runInWindow);
}

BOOL CLauncherDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    CMenu* systemMenu = GetSystemMenu(FALSE);
    CString aboutEntry;
    aboutEntry.LoadString(IDS_ABOUTBOX);
    if (systemMenu && !aboutEntry.IsEmpty()) {
        systemMenu->AppendMenu(MF_SEPARATOR);
        systemMenu->AppendMenu(MF_STRING, IDM_ABOUT, aboutEntry);
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The window is not shown yet: a missing file is reported on its own, before the window.
    if (LoadSettings(m_settings)) {
        UpdateData(ExchangeDirection::ToControls);
    } else {
        char message[64];
        std::snprintf(message, sizeof message, "Error: %s file not found.", kSettingsFileName);
        MessageBox(message, "Launcher", MB_OK);
    }
    return TRUE;
}

void CLauncherDialog::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUT) {
        CAboutDialog about;
        about.DoModal();
    } else {
        Default();
    }
}

void CLauncherDialog::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    DrawIconCentred(dc.GetSafeHdc());
}

void CLauncherDialog::DrawIconCentred(HDC dc) {
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    ::DrawIcon(dc, (client.right - client.left - iconWidth + 1) / 2,
               (client.bottom - client.top - iconHeight + 1) / 2, m_hIcon);
}

HCURSOR CLauncherDialog::OnQueryDragIcon() {
    return m_hIcon;
}

void CLauncherDialog::OnPlayZerbs3D() {
    Play(g_zerbs3DProfile);
}

void CLauncherDialog::OnPlayZerbsTolvane() {
    Play(g_tolvaneProfile);
}

// Saves, then starts the game in place of the launcher. Should the game not start, the dialog ends
// as OK would end it, unless a box holds a value the final exchange cannot take.
void CLauncherDialog::Play(const GameProfile& profile) {
    UpdateData(ExchangeDirection::FromControls);
    if (SaveSettings(m_settings)) {
        UpdateData(ExchangeDirection::ToControls);
    }
    LaunchGame(profile, m_settings);
    CDialog::OnOK();
}

// The height follows the width at three quarters, in wrapping 32-bit arithmetic.
void CLauncherDialog::OnWidthKillFocus() {
    UpdateData(ExchangeDirection::FromControls);
    const std::uint32_t tripled = static_cast<std::uint32_t>(m_settings.m_width) * 3u;
    const std::int64_t wrapped =
        tripled > INT32_MAX ? std::int64_t{tripled} - (std::int64_t{1} << 32) : tripled;
    m_settings.m_height = static_cast<int>(wrapped / 4);
    UpdateData(ExchangeDirection::ToControls);
}
