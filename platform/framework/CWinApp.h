#pragma once

#include <windows.h>

#include "platform/framework/CCmdTarget.h"

class CWnd;

// The framework's help command.
#define ID_HELP 0xE146

// The application object: the program's one instance runs its InitInstance from the entry point.
class CWinApp : public CCmdTarget {
public:
    // Without a name, the name is taken from the program file.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Sets the application up; FALSE ends the program instead of running the message loop.
    virtual BOOL InitInstance() { return TRUE; }
    // Runs the message loop until WM_QUIT; its wParam is the program's exit code.
    virtual int Run();

    // Controls have had the three-dimensional look built in since Windows 95: nothing to enable.
    BOOL Enable3dControls() { return TRUE; }

    // The help command: this framework keeps no help files, and says so.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    LPCSTR m_pszAppName = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    char m_appName[MAX_PATH] = "";
};

CWinApp* AfxGetApp();
LPCSTR AfxGetAppName();
// The module whose resources hold the named resource of the given type.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
// The framework's program entry: names the application, then runs its InitInstance.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
