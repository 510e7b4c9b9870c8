#include "ui/LauncherApp.h"

#include "ui/LauncherDialog.h"

BEGIN_MESSAGE_MAP(CLauncherApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object.
CLauncherApp theApp;

BOOL CLauncherApp::InitInstance() {
    Enable3dControls();
    CLauncherDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // Returning FALSE ends the program rather than entering the message loop.
    return FALSE;
}
