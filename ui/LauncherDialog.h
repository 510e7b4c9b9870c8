#pragma once

#include "launch/settings.h"
#include "platform/framework/afxwin.h"

struct GameProfile;

// The launcher's main window: the settings in three number boxes, seven check boxes and a text
// box, and one Play button per game.
class CLauncherDialog : public CDialog {
public:
    explicit CLauncherDialog(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;

    // The About entry opens the About box; every other system command works as usual.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    // What a minimized launcher paints: the erased background and the icon in the middle.
    void DrawIconCentred(HDC dc);
    HCURSOR OnQueryDragIcon();
    void OnPlayZerbs3D();
    void OnPlayZerbsTolvane();
    void OnWidthKillFocus();

    DECLARE_MESSAGE_MAP()

private:
    void Play(const GameProfile& profile);

    LaunchSettings m_settings;
    HICON m_hIcon;
};
