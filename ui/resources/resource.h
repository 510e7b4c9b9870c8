// Identifiers of the launcher's resources and controls, shared by the .rc and the code.

// Dialogs and strings
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_LAUNCHER_DIALOG 102

// Pictures and icons. The window icon is the program's own icon group.
#define IDB_ABOUT 142
#define IDB_ARTWORK 143
#define IDI_LAUNCHER 144
#define IDI_LAUNCHER_ALTERNATE 145
#define IDR_MAINFRAME IDI_LAUNCHER

// The About entry of the system menu: a system command id with its low four bits clear.
#define IDM_ABOUT 0x0010

// Launcher dialog controls
#define IDC_PLAY_ZERBS3D 1000
#define IDC_PLAY_TOLVANE 1001
#define IDC_ADVANCED_SWITCHES 1002
#define IDC_WIDTH 1004
#define IDC_REFRESH_RATE 1005
#define IDC_RUN_IN_WINDOW 1006
#define IDC_NO_MOVIES 1007
#define IDC_INVERT_FIRST_PERSON 1008
#define IDC_INVERT_THIRD_PERSON 1009
#define IDC_NO_MUSIC 1010
#define IDC_NO_SOUNDS 1011
#define IDC_INVERT_ZERBS 1012
#define IDC_HEIGHT 1013

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
